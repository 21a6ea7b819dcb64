// Writes realistic PBN files from a seed: tournament boards with full tags, deals, legal
// auctions with notes, NAGs and suffixes, full legal play, comments, "#" inheritance, and a
// share of games with the mistakes that real files hold. The same seed always gives the same
// bytes, on every machine (own random numbers, no library distributions).
// Shared by the benchmark and by the tests of the index pass.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pbngen {

// splitmix64: small, fast and the same everywhere.
class Rng {
 public:
  explicit Rng(std::uint64_t Seed) : state_(Seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool PerMille(int Chance) { return Below(1000) < Chance; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& a) {
    return a[Below(static_cast<int>(N))];
  }

 private:
  std::uint64_t state_;
};

struct GeneratorOptionsDef {
  std::uint64_t Seed = 1;
  int ErrorPerMille = 30;     // games that hold a mistake
  int CrLfPerMille = 20;      // games written with CR LF line ends
  int SessionBoards = 32;     // Event, Site and Date are "#" within a session
  int FarInheritEvery = 997;  // games whose Annotator is "#" of game 1
  int Tables = 1;             // the tables that play each deal, one game after the other
};

class PbnGenerator {
 public:
  explicit PbnGenerator(const GeneratorOptionsDef& tOptions)
      : tOptions_(tOptions), rng_(tOptions.Seed) {}

  // Appends the next game and the blank line that ends it.
  void AppendGame(std::string& Out) {
    GameNr_++;
    game_.clear();
    if (GameNr_ == 1) game_ += "% PBN 1.0\n% EXPORT\n";
    Deal();
    Auction();
    const bool bError = GameNr_ > 1 && rng_.PerMille(tOptions_.ErrorPerMille);
    ErrorKind_ = bError ? rng_.Below(kNrErrorKinds) : -1;
    WriteTags();
    WriteAuction();
    WritePlay();
    if (ErrorKind_ == kErrUnusedNote) game_ += "[Note \"31:a note nobody refers to\"]\n";
    game_ += "\n";
    if (rng_.PerMille(tOptions_.CrLfPerMille)) {
      for (char c : game_) {
        if (c == '\n') Out += '\r';
        Out += c;
      }
    } else {
      Out += game_;
    }
  }

  int GamesWritten() const { return GameNr_; }

 private:
  // Seats in clockwise order; cards are Suit * 13 + Rank, suits spades first, rank 0 the two.
  static constexpr const char* kSeats = "NESW";
  static constexpr const char* kSuits = "SHDC";
  static constexpr const char* kRanks = "23456789TJQKA";
  static constexpr std::array<const char*, 5> kStrains = {"C", "D", "H", "S", "NT"};

  enum ErrorKindDef {
    kErrTagName,
    kErrDate,
    kErrResult,
    kErrBadChar,
    kErrLongLine,
    kErrUnusedNote,
    kErrDuplicateTag,
    kErrInheritDealer,
    kErrBadCard,
    kErrControlByte,
    kErrTabInValue,
    kErrNoNoteText,
    kNrErrorKinds
  };

  struct CallDef {
    int Kind;  // 0 pass, 1 bid, 2 double, 3 redouble
    int Bid;   // level * 5 + strain for a bid, strains clubs to notrump
  };

  static constexpr int kSevenNoTrump = 7 * 5 + 4;

  static int SuitOfStrain(int Strain) { return Strain == 4 ? -1 : 3 - Strain; }

  void Deal() {
    const int Tables = std::max(1, tOptions_.Tables);
    Board_ = (GameNr_ - 1) / Tables % 32 + 1;
    Dealer_ = (Board_ - 1) % 4;
    if ((GameNr_ - 1) % Tables != 0) return;  // the next table plays the same deal
    std::array<int, 52> aCards;
    for (int i = 0; i < 52; i++)
      aCards[i] = i;
    for (int i = 51; i > 0; i--)
      std::swap(aCards[i], aCards[rng_.Below(i + 1)]);
    for (int Seat = 0; Seat < 4; Seat++) {
      aHands_[Seat] = 0;
      for (int i = 0; i < 13; i++)
        aHands_[Seat] |= 1ull << aCards[Seat * 13 + i];
    }
  }

  void Auction() {
    atCalls_.clear();
    int LastBid = -1, LastBidder = -1, Doubled = 0, Doubler = -1, NrPasses = 0;
    for (int i = 0;; i++) {
      const int Caller = (Dealer_ + i) % 4;
      if ((LastBid < 0 && NrPasses == 4) || (LastBid >= 0 && NrPasses == 3)) break;
      const bool bOpponentBid = LastBid >= 0 && (Caller + LastBidder) % 2 == 1;
      CallDef tCall{0, 0};
      const int Level = LastBid < 0 ? 1 : LastBid / 5;
      const int BidChance = i > 40 ? 0 : LastBid < 0 ? 600 : 520 - 70 * Level;
      if (LastBid < kSevenNoTrump && rng_.PerMille(BidChance)) {
        const int Bid = std::min(kSevenNoTrump, std::max(5, LastBid + 1 + rng_.Below(4)));
        tCall = {1, Bid};
        LastBid = Bid;
        LastBidder = Caller;
        Doubled = 0;
      } else if (bOpponentBid && Doubled == 0 && rng_.PerMille(60)) {
        tCall = {2, 0};
        Doubled = 1;
        Doubler = Caller;
      } else if (Doubled == 1 && (Caller + Doubler) % 2 == 1 && rng_.PerMille(200)) {
        tCall = {3, 0};
        Doubled = 2;
      }
      NrPasses = tCall.Kind == 0 ? NrPasses + 1 : 0;
      atCalls_.push_back(tCall);
    }
    Declarer_ = -1;
    if (LastBid < 0) return;  // passed out
    Level_ = LastBid / 5;
    Strain_ = LastBid % 5;
    Risk_ = Doubled;
    for (size_t i = 0; i < atCalls_.size(); i++) {
      const int Caller = static_cast<int>((Dealer_ + i) % 4);
      if (atCalls_[i].Kind == 1 && atCalls_[i].Bid % 5 == Strain_ &&
          (Caller + LastBidder) % 2 == 0) {
        Declarer_ = Caller;
        break;
      }
    }
  }

  std::string HandText(int Seat) const {
    std::string Text;
    for (int Suit = 0; Suit < 4; Suit++) {
      if (Suit > 0) Text += '.';
      for (int Rank = 12; Rank >= 0; Rank--) {
        if (aHands_[Seat] >> (Suit * 13 + Rank) & 1) Text += kRanks[Rank];
      }
    }
    return Text;
  }

  void Tag(const char* pcName, const std::string& Value) {
    game_ += '[';
    game_ += pcName;
    game_ += " \"";
    game_ += Value;
    game_ += "\"]";
    if (rng_.PerMille(25)) game_ += " {" + Words(2 + rng_.Below(6)) + "}";
    game_ += '\n';
  }

  std::string Words(int NrWords) {
    static constexpr std::array<const char*, 24> kWords = {
        "the",  "lead",    "was",      "sound", "a",       "slam",   "partner", "trump",
        "ruff", "finesse", "squeeze",  "club",  "heart",   "spade",  "diamond", "double",
        "weak", "strong",  "balanced", "hand",  "endplay", "safety", "play",    "contract"};
    std::string Text;
    for (int i = 0; i < NrWords; i++) {
      if (i > 0) Text += ' ';
      Text += rng_.Pick(kWords);
    }
    return Text;
  }

  std::string Number(int Value, int Width = 0) {
    const std::string Digits = std::to_string(Value);
    const int NrZeros = std::max(0, Width - static_cast<int>(Digits.size()));
    return std::string(static_cast<size_t>(NrZeros), '0') + Digits;
  }

  void WriteTags() {
    static constexpr std::array<const char*, 12> kNames = {
        "Anna Smit", "Bert de Vries", "Cora Jansen", "Dirk Bakker",  "Eva Visser", "Frank Mulder",
        "Gina Bos",  "Hans Vos",      "Iris Peters", "Jan Hendriks", "Kim Dekker", "Lars Smits"};
    const bool bSessionStart = (GameNr_ - 1) % tOptions_.SessionBoards == 0;
    if (rng_.PerMille(60)) {
      game_ += "{" + Words(6) + "\n" + Words(5) + "}\n";  // a comment before the first tag
    }
    const int Session = (GameNr_ - 1) / tOptions_.SessionBoards + 1;
    Tag("Event", bSessionStart ? "Karvelon Open Teams, session " + Number(Session) : "#");
    Tag("Site", bSessionStart ? "Utrecht, table room " + Number(Session % 7 + 1) : "#");
    if (ErrorKind_ == kErrDate) {
      Tag("Date", "2026.13.0" + Number(1 + rng_.Below(9)));
    } else {
      Tag("Date", bSessionStart
                      ? "2026." + Number(Session % 12 + 1, 2) + "." + Number(Session % 28 + 1, 2)
                      : "#");
    }
    if (GameNr_ == 1) {
      Tag("Annotator", "Karvelon bench");
    } else if (GameNr_ % tOptions_.FarInheritEvery == 0) {
      Tag("Annotator", "#");  // stands for game 1's value, far back in the file
    }
    Tag("Board", Number(Board_));
    if (ErrorKind_ == kErrDuplicateTag) Tag("Board", Number(Board_ + 1));
    for (const char* pcSeat : {"West", "North", "East", "South"})
      Tag(pcSeat, rng_.Pick(kNames));
    Tag("Room", rng_.PerMille(500) ? "Open" : "Closed");
    Tag("Round", Number(Session));
    const int Table = 1 + rng_.Below(40);
    Tag("Table", Number(tOptions_.Tables > 1 ? (GameNr_ - 1) % tOptions_.Tables + 1 : Table));
    if (ErrorKind_ == kErrTagName) Tag("Venue", "Utrecht");
    Tag("Dealer", ErrorKind_ == kErrInheritDealer ? "#" : std::string(1, kSeats[Dealer_]));
    static constexpr std::array<const char*, 4> kVulner = {"None", "NS", "EW", "All"};
    Tag("Vulnerable", kVulner[(Board_ - 1 + (Board_ - 1) / 4) % 4]);
    std::string Deal(1, kSeats[Dealer_]);
    Deal += ':';
    for (int i = 0; i < 4; i++) {
      if (i > 0) Deal += ' ';
      Deal += HandText((Dealer_ + i) % 4);
    }
    Tag("Deal", Deal);
    Tag("Scoring", bSessionStart ? "IMP" : "#");
    if (Declarer_ < 0) {
      Tag("Contract", "Pass");
    } else {
      Tag("Declarer", std::string(1, kSeats[Declarer_]));
      Tag("Contract", Number(Level_) + kStrains[Strain_] +
                          (Risk_ == 1   ? "X"
                           : Risk_ == 2 ? "XX"
                                        : ""));
    }
    if (ErrorKind_ == kErrTabInValue) {
      Tag("Description", "a\tvalue with a tab");
    } else if (rng_.PerMille(100)) {
      Tag("Description", "Quote \\\"" + Words(3) + "\\\" and a backslash \\\\ " + Words(2));
    }
    Tag("Time", Number(13 + rng_.Below(8), 2) + ":" + Number(rng_.Below(60), 2) + ":" +
                    Number(rng_.Below(60), 2));
    Tag("Score", (rng_.PerMille(500) ? "NS " : "EW ") + Number(10 * rng_.Below(150)));
    Tag("ScoreIMP", (rng_.PerMille(500) ? "NS " : "EW ") + Number(rng_.Below(20)) + "." +
                        Number(rng_.Below(10)));
  }

  // The annotations of one call or card: note reference, suffix or suffix NAG, NAGs, comments.
  void Annotate(std::string& Line, bool bPlay, std::vector<int>& aNotes) {
    if (rng_.PerMille(40) && aNotes.size() < 30) {
      aNotes.push_back(static_cast<int>(aNotes.size()) + 1);
      Line += " =" + Number(aNotes.back()) + "=";
    }
    if (rng_.PerMille(40)) {
      static constexpr std::array<const char*, 6> kSuffixes = {"!", "?", "!!", "??", "!?", "?!"};
      Line += std::string(" ") + rng_.Pick(kSuffixes);
    } else if (rng_.PerMille(20)) {
      Line += " $" + Number(1 + rng_.Below(6) + (bPlay ? 6 : 0));
    }
    if (rng_.PerMille(40)) {
      const int Nag = 13 + rng_.Below(120);
      Line += " $" + Number(Nag);
      if (rng_.PerMille(200)) Line += " $" + Number(Nag + 1 + rng_.Below(100));
    }
    if (rng_.PerMille(50)) Line += " {" + Words(1 + rng_.Below(8)) + "}";
  }

  void WriteNotes(const std::vector<int>& aNotes) {
    for (int Note : aNotes) {
      game_ += "[Note \"" + Number(Note) + ":" + Words(2 + rng_.Below(5)) + "\"]\n";
    }
  }

  void EndMoveLine(std::string& Line) {
    if (rng_.PerMille(30)) {
      Line += " ; ";
      Line += Words(3);
    }
    if (ErrorKind_ == kErrLongLine && !bErrorWritten_) {
      Line += " ;";
      while (Line.size() < 300) {
        Line += ' ';
        Line += Words(1);
      }
      bErrorWritten_ = true;
    }
    game_ += Line;
    game_ += '\n';
    Line.clear();
  }

  void WriteAuction() {
    bErrorWritten_ = false;
    game_ += "[Auction \"" + std::string(1, kSeats[Dealer_]) + "\"]\n";
    std::vector<int> aNotes;
    std::string Line;
    for (size_t i = 0; i < atCalls_.size(); i++) {
      if (!Line.empty()) Line += ' ';
      const CallDef& tCall = atCalls_[i];
      switch (tCall.Kind) {
        case 0:
          Line += "Pass";
          break;
        case 1:
          Line += Number(tCall.Bid / 5) + kStrains[tCall.Bid % 5];
          break;
        case 2:
          Line += "X";
          break;
        default:
          Line += "XX";
          break;
      }
      Annotate(Line, false, aNotes);
      if (ErrorKind_ == kErrBadChar && i == 1) Line += " &";
      if (ErrorKind_ == kErrControlByte && i == 2) Line += " {odd \x85 byte}";
      if (ErrorKind_ == kErrNoNoteText && i == 0) Line += " =32=";
      if (i % 4 == 3) EndMoveLine(Line);
    }
    if (!Line.empty()) EndMoveLine(Line);
    WriteNotes(aNotes);
  }

  void WritePlay() {
    if (Declarer_ < 0) return;
    const int Trump = SuitOfStrain(Strain_);
    std::array<std::uint64_t, 4> aHands = aHands_;
    const int OpeningLeader = (Declarer_ + 1) % 4;
    int Leader = OpeningLeader;
    int NrDeclarer = 0;
    std::array<std::array<int, 4>, 13> aaTricks{};  // by trick, then by seat
    for (int Trick = 0; Trick < 13; Trick++) {
      int LeadSuit = -1, Winner = Leader, Best = -1;
      for (int i = 0; i < 4; i++) {
        const int Seat = (Leader + i) % 4;
        std::uint64_t Choice = aHands[Seat];
        const std::uint64_t Follow = LeadSuit < 0 ? 0 : Choice & (0x1FFFull << (LeadSuit * 13));
        if (Follow != 0) Choice = Follow;
        const int Card = PickCard(Choice);
        aHands[Seat] &= ~(1ull << Card);
        aaTricks[Trick][Seat] = Card;
        const int Suit = Card / 13;
        if (i == 0) LeadSuit = Suit;
        const int Strength = (Suit == Trump ? 100 : Suit == LeadSuit ? 50 : 0) + Card % 13;
        if (Strength > Best) {
          Best = Strength;
          Winner = Seat;
        }
      }
      if ((Winner + Declarer_) % 2 == 0) NrDeclarer++;
      Leader = Winner;
    }
    int Result = NrDeclarer;
    if (ErrorKind_ == kErrResult) Result = NrDeclarer == 13 ? 12 : NrDeclarer + 1;
    const bool bIncomplete = ErrorKind_ != kErrResult && rng_.PerMille(30);
    game_ += "[Result \"" + Number(Result) + "\"]\n";
    game_ += "[Play \"" + std::string(1, kSeats[OpeningLeader]) + "\"]\n";
    bErrorWritten_ = false;
    std::vector<int> aNotes;
    std::string Line;
    const int NrTricks = bIncomplete ? 1 + rng_.Below(12) : 13;
    for (int Trick = 0; Trick < NrTricks; Trick++) {
      for (int i = 0; i < 4; i++) {
        const int Card = aaTricks[Trick][(OpeningLeader + i) % 4];
        if (i > 0) Line += ' ';
        if (ErrorKind_ == kErrBadCard && Trick == 5 && i == 2) {
          Line += kSuits[Card / 13];
          Line += 'Z';
        } else {
          Line += kSuits[Card / 13];
          Line += kRanks[Card % 13];
        }
        Annotate(Line, true, aNotes);
      }
      EndMoveLine(Line);
    }
    if (bIncomplete) game_ += "*\n";
    WriteNotes(aNotes);
  }

  int PickCard(std::uint64_t Cards) {
    int aCards[13];
    int NrCards = 0;
    for (int Card = 0; Card < 52; Card++) {
      if (Cards >> Card & 1) aCards[NrCards++] = Card;
    }
    return aCards[rng_.Below(NrCards)];
  }

  GeneratorOptionsDef tOptions_;
  Rng rng_;
  int GameNr_ = 0;
  std::string game_;
  std::array<std::uint64_t, 4> aHands_{};
  int Board_ = 1, Dealer_ = 0;
  std::vector<CallDef> atCalls_;
  int Declarer_ = -1, Level_ = 0, Strain_ = 0, Risk_ = 0;
  int ErrorKind_ = -1;
  bool bErrorWritten_ = false;
};

// A whole file of NrGames games as text.
inline std::string GeneratePbn(const GeneratorOptionsDef& tOptions, int NrGames) {
  PbnGenerator Generator(tOptions);
  std::string Text;
  for (int i = 0; i < NrGames; i++)
    Generator.AppendGame(Text);
  return Text;
}

// Writes games to Path until the file holds at least MinBytes; returns the number of games
// written, or -1 when the file cannot be written.
inline int WritePbnFile(const char* Path, const GeneratorOptionsDef& tOptions, long long MinBytes) {
  std::FILE* pFile = std::fopen(Path, "wb");
  if (pFile == nullptr) return -1;
  PbnGenerator Generator(tOptions);
  std::string Chunk;
  long long Written = 0;
  bool bOk = true;
  while (Written < MinBytes && bOk) {
    Chunk.clear();
    while (Chunk.size() < (1u << 20) && Written + static_cast<long long>(Chunk.size()) < MinBytes) {
      Generator.AppendGame(Chunk);
    }
    bOk = std::fwrite(Chunk.data(), 1, Chunk.size(), pFile) == Chunk.size();
    Written += static_cast<long long>(Chunk.size());
  }
  if (std::fclose(pFile) != 0) bOk = false;
  return bOk ? Generator.GamesWritten() : -1;
}

}  // namespace pbngen
