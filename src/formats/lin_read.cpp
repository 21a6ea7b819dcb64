// LIN to PBN: the `xx|value|` pairs are split into boards, each board becomes one PBN game.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "core/defs.h"
#include "core/pbn_util.h"
#include "core/text.h"
#include "formats/lin.h"

namespace lin {

namespace {

using pbn::UInt32;
using pbn::UInt8;

// Seats are PBN's side codes, which LIN's dealer digits 1 to 4 (S, W, N, E) give minus one.
constexpr int kNoSide = -1;
constexpr std::array<char, 4> acSideLetters = {'S', 'W', 'N', 'E'};
constexpr int kMaxNotes = pbn::PBN_N_NOTES;
// Of a PBN line: the reading takes a line of 255 characters for too long already.
constexpr std::size_t kMaxLineBytes = 254;
// A line of a comment: 80 characters with its braces as most files write, and never beyond
// the bytes of a PBN line.
constexpr std::size_t kCommentChars = 78;
constexpr std::size_t kCommentBytes = kMaxLineBytes - 2;

// A command as one number: its two letters, lower case.
constexpr int CommandCode(const char* pcName) {
  return pcName[0] << 8 | pcName[1];
}

// The commands that carry nothing for PBN: titles, pauses, scores, lesson text.
constexpr bool IsSkipped(int Code) {
  for (const char* pcName : {"st", "mn", "sa", "pg", "pw", "mp", "bn", "sk", "lb", "ob", "at",
                             "ht", "fp", "cp", "cs", "cg", "cr", "cb", "bt", "3d", "rs", "rh"}) {
    if (CommandCode(pcName) == Code) return true;
  }
  return false;
}

// What a movie shows after its first take-back: calls, cards, claims, further take-backs.
constexpr bool IsVariation(int Code) {
  for (const char* pcName : {"mb", "an", "pc", "mc", "up", "ub"}) {
    if (CommandCode(pcName) == Code) return true;
  }
  return false;
}

struct CallDef {
  enum TypeDef { PASS, DOUBLE, REDOUBLE, BID } Type;
  int Level;   // of a bid, 1 to 7
  int Strain;  // of a bid, 0 to 4 (C D H S NT)
  bool bAlert;
  bool bNote;  // an explanation was given
  std::string Note;
  LinPosDef tPos;
};

struct CardDef {
  int Suit;  // PBN suit code
  int Rank;  // 2 to 14
  LinPosDef tPos;
};

// Commentary (`nt`) and the calls and cards shown where it stands.
struct CommentDef {
  std::size_t NrCalls;
  std::size_t NrCards;
  std::string Text;
  LinPosDef tPos;
  // Where it is written, settled with the game: a call or card may be left out there.
  enum PlaceDef { HEAD, CALL, CARD } Place = HEAD;  // before the tags, after a call or a card
  std::size_t Index = 0;                            // of that call or card
};

struct BoardDef {
  bool bDealt = false;
  LinPosDef tDealPos{};
  int Number = 0;  // 0: not given
  LinPosDef tNumberPos{};
  char Room = 0;  // 'o' or 'c'
  int Dealer = kNoSide;
  int Vulner = -1;  // PBN vulnerability code
  LinPosDef tVulnerPos{};
  std::array<std::array<pbn::PbnRankDef, 4>, 4> aaHands{};  // [side][suit]
  std::array<int, 4> aNrCards{};                            // counted once dealt
  std::array<std::string, 4> aNames;
  bool bNames = false;
  LinPosDef tNamesPos{};
  std::vector<CallDef> atCalls;
  std::vector<CardDef> atCards;
  std::array<pbn::PbnRankDef, 4> aPlayed{};  // the cards of atCards, by suit
  int Claim = -1;
  LinPosDef tClaimPos{};
  bool bLineShown = false;             // a movie took something back: what follows is a variation
  std::vector<CommentDef> atComments;  // in the order of the file
};

// The contract an auction reached.
struct ContractDef {
  int Last = -1;  // the last bid's index among the calls; -1: none
  int Risk = 0;
  int Declarer = kNoSide;
  bool bEnded = false;
};

// What holds for the boards that follow: names, event and the match header's names per room.
struct ContextDef {
  std::vector<std::string> aNames;
  LinPosDef tNamesPos{};
  std::string Event;
  std::string Stage;
};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

using pbn::IsBlank;
using pbn::TrimBlanks;
using pbn::Utf8CharLength;

bool IsUtf8(std::string_view Text) {
  for (std::size_t i = 0; i < Text.size();) {
    std::uint64_t Word;
    if (i + 8 <= Text.size() && (std::memcpy(&Word, Text.data() + i, 8), true) &&
        (Word & 0x8080808080808080u) == 0) {
      i += 8;  // plain ASCII, the common case, eight bytes at a time
      continue;
    }
    const std::size_t n = Utf8CharLength(Text.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// "!S" of LIN's texts is the suit symbol "\S" of PBN's.
void SuitSymbols(std::string* pText) {
  std::string& Text = *pText;
  for (std::size_t i = 0; i + 1 < Text.size(); i++) {
    if (Text[i] == '!' && std::strchr("SHDCshdc", Text[i + 1]) != nullptr) {
      Text[i] = '\\';
      Text[i + 1] = static_cast<char>(Text[i + 1] & ~0x20);
    }
  }
}

std::vector<std::string_view> SplitCommas(std::string_view Text) {
  std::vector<std::string_view> aParts;
  std::size_t Begin = 0;
  for (std::size_t i = 0; i <= Text.size(); i++) {
    if (i == Text.size() || Text[i] == ',') {
      aParts.push_back(Text.substr(Begin, i - Begin));
      Begin = i + 1;
    }
  }
  return aParts;
}

// The number that follows "Board" in a heading, else its first number; 0 without one.
int BoardNumber(std::string_view Text) {
  std::size_t i = 0;
  for (std::size_t k = 0; k + 5 <= Text.size(); k++) {
    std::string Word(Text.substr(k, 5));
    std::transform(Word.begin(), Word.end(), Word.begin(), Lower);
    if (Word == "board") {
      i = k + 5;
      break;
    }
  }
  while (i < Text.size() && !(Text[i] >= '0' && Text[i] <= '9'))
    i++;
  int Number = 0;
  for (; i < Text.size() && Text[i] >= '0' && Text[i] <= '9' && Number < 100000; i++)
    Number = Number * 10 + (Text[i] - '0');
  return Number;
}

// The value of each character in a table, looked up for every card of the file: 0 for none.
constexpr std::array<UInt8, 256> CharTable(const char* pcChars, int First) {
  std::array<UInt8, 256> aTable{};
  for (int i = 0; pcChars[i] != '\0'; i++) {
    const auto c = static_cast<unsigned char>(pcChars[i]);
    aTable[c] = static_cast<UInt8>(First + i);
    if (c >= 'a' && c <= 'z') aTable[c - 'a' + 'A'] = static_cast<UInt8>(First + i);
  }
  return aTable;
}
constexpr std::array<UInt8, 256> aRanks = CharTable("23456789tjqka", 2);
constexpr std::array<UInt8, 256> aStrains = CharTable("cdhsn", 1);  // strain code + 1

// The rank of a character (2 to 14), or 0.
int RankOf(char c) {
  return aRanks[static_cast<unsigned char>(c)];
}

pbn::PbnRankDef RankBit(int Rank) {
  return static_cast<pbn::PbnRankDef>(1u << (Rank - 1));
}

std::string CardName(int Suit, int Rank) {
  return pbn::CardText({static_cast<pbn::PbnSuitDef>(Suit), RankBit(Rank)});
}

class Converter {
 public:
  explicit Converter(std::string_view Lin, LinToPbnDef* ptOut)
      : Text(Lin), bUtf8(IsUtf8(Lin)), tOut(*ptOut) {}

  void Run() {
    WriteHead();
    if (const std::size_t Nul = Text.find('\0'); Nul != std::string_view::npos) {
      Say(PosAt(Nul), "E: Binary data, not a LIN text");
      return;
    }
    std::size_t Pos = 0;
    while (Pos < Text.size())
      Pos = ReadCommand(Pos);
    FlushBoard();
    if (tOut.NrUnknown > 0) {
      Say(tFirstUnknownPos, "W: " + std::to_string(tOut.NrUnknown) +
                                " unknown LIN commands skipped, the first '" + FirstUnknown + "'");
    }
    if (tOut.NrBoards == 0) Say(PosAt(Text.size()), "E: No LIN board with a deal");
    // Said at the end of a board or of the file: told in the order of the file.
    std::stable_sort(tOut.atMessages.begin(), tOut.atMessages.end(),
                     [](const LinMessageDef& tA, const LinMessageDef& tB) {
                       return tA.tPos.Line != tB.tPos.Line ? tA.tPos.Line < tB.tPos.Line
                                                           : tA.tPos.Column < tB.tPos.Column;
                     });
  }

 private:
  std::string_view Text;
  bool bUtf8;
  LinToPbnDef& tOut;
  // The place reached by PosAt, which only moves forward.
  std::size_t CursorOffset = 0;
  LinPosDef tCursor{1, 1};
  ContextDef tContext;
  BoardDef tBoard;
  std::string FirstUnknown;
  LinPosDef tFirstUnknownPos{};
  std::string Row;  // of the section being written
  LinPosDef tRowPos{};

  LinPosDef PosAt(std::size_t Offset) {
    for (Offset = std::min(Offset, Text.size()); CursorOffset < Offset; CursorOffset++) {
      const auto c = static_cast<unsigned char>(Text[CursorOffset]);
      if (c == '\n') {
        tCursor = {tCursor.Line + 1, 1};
      } else {
        tCursor.Column += !bUtf8 || (c & 0xC0) != 0x80;  // a UTF-8 character counts once
      }
    }
    return tCursor;
  }

  // The place of a character of a value being read (values are read in the order of the file).
  LinPosDef PosOf(std::string_view Part) {
    return PosAt(static_cast<std::size_t>(Part.data() - Text.data()));
  }

  void Say(LinPosDef tPos, const std::string& Message) {
    tOut.atMessages.push_back({tPos, Message});
  }

  // One `xx|value|` pair from Pos; returns where the next one starts.
  std::size_t ReadCommand(std::size_t Pos) {
    const std::size_t Bar = Text.find('|', Pos);
    if (Bar == std::string_view::npos) {
      SayCutInName(Pos);
      return Text.size();
    }
    std::size_t NameEnd = Bar;
    while (NameEnd > Pos && IsBlank(Text[NameEnd - 1]))
      NameEnd--;
    if (NameEnd < Pos + 2 || IsBlank(Text[NameEnd - 2])) return Bar + 1;  // a stray bar
    const std::size_t NameBegin = NameEnd - 2;
    const std::size_t ValueBegin = Bar + 1;
    std::size_t ValueEnd = Text.find('|', ValueBegin);
    const LinPosDef tPos = PosAt(NameBegin);
    const std::string Name = {Lower(Text[NameBegin]), Lower(Text[NameBegin + 1])};
    if (ValueEnd == std::string_view::npos) {
      Say(tPos, "E: Cut LIN file: the value of '" + Name + "' has no closing bar");
      ValueEnd = Text.size();
    }
    Command(Name, TrimBlanks(Text.substr(ValueBegin, ValueEnd - ValueBegin)), tPos);
    return ValueEnd + 1;
  }

  // Text after the last bar is the start of a command the cut left without its bar.
  void SayCutInName(std::size_t Pos) {
    const std::string_view Rest = TrimBlanks(Text.substr(Pos));
    if (Rest.empty()) return;
    std::size_t Begin = Rest.size() - std::min<std::size_t>(Rest.size(), 2);
    while (bUtf8 && Begin > 0 && (static_cast<unsigned char>(Rest[Begin]) & 0xC0) == 0x80)
      Begin--;  // whole characters
    const std::string_view Name = Rest.substr(Begin);
    Say(PosOf(Name), "E: Cut LIN file: it ends in '" + Utf8Text(Name, false) + "' without a bar");
  }

  void Command(const std::string& Name, std::string_view Value, LinPosDef tPos) {
    const int Code = CommandCode(Name.c_str());
    if (tBoard.bLineShown && IsVariation(Code)) return;
    switch (Code) {
      case CommandCode("pc"):
        return Cards(Value, tPos);
      case CommandCode("mb"):
        return Calls(Value, tPos);
      case CommandCode("an"):
        return Explanation(Value);
      case CommandCode("md"):
        return Deal(Value, tPos);
      case CommandCode("qx"):
        return Room(Value, tPos);
      case CommandCode("pn"):
        return Names(Value, tPos);
      case CommandCode("sv"):
        return Vulnerability(Value, tPos);
      case CommandCode("ah"):
        return Heading(Value, tPos);
      case CommandCode("mc"):
        return Claim(Value, tPos);
      case CommandCode("vg"):
        return Event(Value);
      case CommandCode("nt"):
        return Commentary(Value, tPos);
      case CommandCode("up"):  // a movie takes back cards
        return TakeBack(!tBoard.atCards.empty());
      case CommandCode("ub"):  // or calls
        return TakeBack(!tBoard.atCalls.empty());
      case CommandCode("pg"):  // a pause of the viewer, after nearly every trick
      case CommandCode("st"):
      case CommandCode("rh"):
        return;
      default:
        if (IsSkipped(Code)) return;
        if (tOut.NrUnknown++ == 0) {
          FirstUnknown = Name;
          tFirstUnknownPos = tPos;
        }
    }
  }

  // The first take-back of a movie ends the line it was made to show: that line is the game,
  // the variations after it are not (with their calls, cards, claims and explanations).
  void TakeBack(bool bAnything) {
    if (bAnything) tBoard.bLineShown = true;
  }

  void NewBoard() {
    // Commentary before a deal (a match header's) goes to the first game after it.
    std::vector<CommentDef> atComments;
    if (!FlushBoard()) atComments = std::move(tBoard.atComments);
    // The lists keep their room: a file holds thousands of boards.
    std::vector<CallDef> atCalls = std::move(tBoard.atCalls);
    std::vector<CardDef> atCards = std::move(tBoard.atCards);
    atCalls.clear();
    atCards.clear();
    tBoard = BoardDef{};
    tBoard.atCalls = std::move(atCalls);
    tBoard.atCards = std::move(atCards);
    for (CommentDef& tComment : atComments)
      tComment.NrCalls = tComment.NrCards = 0;
    tBoard.atComments = std::move(atComments);
  }

  void Commentary(std::string_view Value, LinPosDef tPos) {
    tBoard.atComments.push_back(
        {tBoard.atCalls.size(), tBoard.atCards.size(), std::string(Value), tPos});
  }

  void Room(std::string_view Value, LinPosDef tPos) {
    NewBoard();
    if (!Value.empty() && (Lower(Value[0]) == 'o' || Lower(Value[0]) == 'c')) {
      tBoard.Room = Lower(Value[0]);
    }
    tBoard.Number = BoardNumber(Value.substr(0, Value.find(',')));
    tBoard.tNumberPos = tPos;
  }

  void Names(std::string_view Value, LinPosDef tPos) {
    tContext.aNames.clear();
    for (std::string_view Name : SplitCommas(Value))
      tContext.aNames.emplace_back(TrimBlanks(Name));
    tContext.tNamesPos = tPos;
  }

  // The names in force for the board just dealt: of its room when the header gives eight.
  void TakeNames() {
    const std::vector<std::string>& aNames = tContext.aNames;
    if (aNames.empty()) return;
    const std::size_t First = aNames.size() >= 8 && tBoard.Room == 'c' ? 4 : 0;
    for (std::size_t Side = 0; Side < 4; Side++) {
      tBoard.aNames[Side] = First + Side < aNames.size() ? aNames[First + Side] : "";
    }
    tBoard.bNames = true;
    tBoard.tNamesPos = tContext.tNamesPos;
  }

  void Event(std::string_view Value) {
    const std::vector<std::string_view> aFields = SplitCommas(Value);
    tContext.Event = TrimBlanks(aFields[0]);
    tContext.Stage = aFields.size() > 1 ? std::string(TrimBlanks(aFields[1])) : "";
  }

  void Heading(std::string_view Value, LinPosDef tPos) {
    const int Number = BoardNumber(Value);
    if (Number == 0 || tBoard.Number != 0) return;
    tBoard.Number = Number;
    tBoard.tNumberPos = tPos;
  }

  void Vulnerability(std::string_view Value, LinPosDef tPos) {
    std::string Lowered(Value);
    std::transform(Lowered.begin(), Lowered.end(), Lowered.begin(), Lower);
    tBoard.tVulnerPos = tPos;
    if (Lowered.empty() || Lowered == "o" || Lowered == "0" || Lowered == "-") {
      tBoard.Vulner = pbn::PBN_VULNER_NONE;
    } else if (Lowered == "n") {
      tBoard.Vulner = pbn::PBN_VULNER_NS;
    } else if (Lowered == "e") {
      tBoard.Vulner = pbn::PBN_VULNER_EW;
    } else if (Lowered == "b" || Lowered == "a" || Lowered == "all") {
      tBoard.Vulner = pbn::PBN_VULNER_ALL;
    } else {
      Say(tPos, "E: Unknown LIN vulnerability '" + std::string(Value) + "'");
      tBoard.Vulner = -1;
    }
  }

  void Deal(std::string_view Value, LinPosDef tPos) {
    const char Digit = Value.empty() ? '\0' : Value[0];
    const bool bDigit = Digit >= '0' && Digit <= '9';
    if (Digit == '0' && tBoard.bDealt) return;  // a lesson's amendment of the deal on display
    if (tBoard.bDealt) NewBoard();
    if (bDigit) Value.remove_prefix(1);
    tBoard.Dealer = Digit >= '1' && Digit <= '4' ? Digit - '1' : kNoSide;
    tBoard.bDealt = true;
    tBoard.tDealPos = tPos;
    TakeNames();
    const std::vector<std::string_view> aHands = SplitCommas(Value);
    for (std::size_t Side = 0; Side < aHands.size() && Side < 4; Side++)
      Hand(static_cast<int>(Side), aHands[Side]);
    if (aHands.size() > 4 && !TrimBlanks(aHands[4]).empty())
      Say(tPos, "E: LIN deal: more than 4 hands");
    const bool bEastGiven = aHands.size() >= 4 && !TrimBlanks(aHands[3]).empty();
    CountCards();
    if (!bEastGiven) CompleteEast();
    CountCards();
    CheckDeal(tPos);
  }

  void Hand(int Side, std::string_view Cards) {
    int Suit = -1;
    for (std::size_t i = 0; i < Cards.size(); i++) {
      const char c = Cards[i];
      if (IsBlank(c)) continue;
      pbn::PbnSuitDef NewSuit;
      if (pbn::CharSuitCheck(static_cast<unsigned char>(c), &NewSuit) == pbn::PBN_ERR_OK) {
        Suit = NewSuit;
        continue;
      }
      const std::string_view At = Cards.substr(i);  // for a message
      int Rank = RankOf(c);
      if (c == '1' && i + 1 < Cards.size() && Cards[i + 1] == '0') {
        Rank = 10;
        i++;
      }
      if (Rank == 0 || Suit < 0) {
        Say(PosOf(At),
            std::string("E: LIN deal: '") + c + "' is no card of " + pbn::apcPbnSideNames[Side]);
        continue;
      }
      AddCard(Side, Suit, Rank, At);
    }
  }

  // At: where the card is written, for the message.
  void AddCard(int Side, int Suit, int Rank, std::string_view At) {
    for (const auto& aHand : tBoard.aaHands) {
      if (aHand[Suit] & RankBit(Rank)) {
        Say(PosOf(At), "E: LIN deal: duplicate card " + CardName(Suit, Rank));
        return;
      }
    }
    tBoard.aaHands[Side][Suit] |= RankBit(Rank);
  }

  int NrCards(int Side) const { return tBoard.aNrCards[Side]; }

  void CountCards() {
    for (int Side = 0; Side < 4; Side++) {
      tBoard.aNrCards[Side] = 0;
      for (pbn::PbnRankDef Ranks : tBoard.aaHands[Side])
        tBoard.aNrCards[Side] += pbn::PbnRanksGetNumber(Ranks);
    }
  }

  // The service leaves out the fourth hand: the cards the other three do not hold.
  void CompleteEast() {
    if (NrCards(0) != 13 || NrCards(1) != 13 || NrCards(2) != 13 || NrCards(3) != 0) return;
    for (int Suit = 0; Suit < 4; Suit++) {
      tBoard.aaHands[3][Suit] = static_cast<pbn::PbnRankDef>(
          pbn::PBN_RANKS_ALL &
          ~(tBoard.aaHands[0][Suit] | tBoard.aaHands[1][Suit] | tBoard.aaHands[2][Suit]));
    }
  }

  void CheckDeal(LinPosDef tPos) {
    const int Total = NrCards(0) + NrCards(1) + NrCards(2) + NrCards(3);
    if (Total == 52 || Total == 0) return;
    std::string Counts;
    for (int Side = 0; Side < 4; Side++) {
      Counts +=
          std::string(Side ? ", " : "") + acSideLetters[Side] + " " + std::to_string(NrCards(Side));
    }
    Say(tPos, "E: LIN deal: cards missing, " + std::to_string(Total) + " of 52 (" + Counts + ")");
  }

  void Calls(std::string_view Value, LinPosDef tPos) {
    bool bAlert = false;  // a "!" before the call, as one writer puts it
    const std::size_t First = tBoard.atCalls.size();
    for (std::size_t i = 0; i < Value.size(); i++) {
      const char c = Lower(Value[i]);
      const char Next = i + 1 < Value.size() ? Lower(Value[i + 1]) : '\0';
      CallDef tCall{CallDef::PASS, 0, 0, false, false, "", tPos};
      if (c == '!') {
        if (tBoard.atCalls.size() > First) {
          tBoard.atCalls.back().bAlert = true;
        } else {
          bAlert = true;
        }
        continue;
      }
      if (IsBlank(c) || c == '?' || c == '-') continue;
      if (c == 'p') {
        tCall.Type = CallDef::PASS;
      } else if (c == 'r' || (c == 'x' && Next == 'x')) {
        tCall.Type = CallDef::REDOUBLE;
        i += c == 'x';
      } else if (c == 'd' || c == 'x') {
        tCall.Type = CallDef::DOUBLE;
      } else if (c >= '1' && c <= '7' && aStrains[static_cast<unsigned char>(Next)] != 0) {
        tCall.Type = CallDef::BID;
        tCall.Level = c - '0';
        tCall.Strain = aStrains[static_cast<unsigned char>(Next)] - 1;
        i++;
        if (Next == 'n' && i + 1 < Value.size() && Lower(Value[i + 1]) == 't') i++;
      } else {
        Say(PosOf(Value.substr(i)), "E: LIN call cannot be read: '" + std::string(Value) + "'");
        return;
      }
      tCall.bAlert = bAlert;
      bAlert = false;
      tBoard.atCalls.push_back(tCall);
    }
  }

  void Explanation(std::string_view Value) {
    if (tBoard.atCalls.empty()) return;
    CallDef& tCall = tBoard.atCalls.back();
    tCall.bNote = true;
    tCall.Note = Value;
  }

  void Cards(std::string_view Value, LinPosDef tPos) {
    for (std::size_t i = 0; i < Value.size(); i++) {
      if (IsBlank(Value[i])) continue;
      const std::string_view At = Value.substr(i);  // for a message
      pbn::PbnSuitDef Suit;
      int Rank = 0;
      if (pbn::CharSuitCheck(static_cast<unsigned char>(Value[i]), &Suit) == pbn::PBN_ERR_OK &&
          i + 1 < Value.size()) {
        Rank = RankOf(Value[++i]);
        if (Value[i] == '1' && i + 1 < Value.size() && Value[i + 1] == '0') {
          Rank = 10;
          i++;
        }
      }
      if (Rank == 0) {
        Say(PosOf(At), "E: LIN card cannot be read: '" + std::string(Value) + "'");
        return;
      }
      if (tBoard.aPlayed[Suit] & RankBit(Rank)) {
        Say(PosOf(At), "E: LIN play: " + CardName(Suit, Rank) + " played twice");
        return;
      }
      tBoard.aPlayed[Suit] |= RankBit(Rank);
      tBoard.atCards.push_back({Suit, Rank, tPos});
    }
  }

  void Claim(std::string_view Value, LinPosDef tPos) {
    const int Tricks = Value.empty() || Value.size() > 2 ? -1 : BoardNumber(Value);
    const bool bDigits =
        std::all_of(Value.begin(), Value.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!bDigits || Tricks < 0 || Tricks > 13) {
      Say(tPos, "E: LIN claim '" + std::string(Value) + "' is no number of tricks 0 to 13");
      return;
    }
    tBoard.Claim = Tricks;
    tBoard.tClaimPos = tPos;
  }

  // --- Writing the board as a PBN game ---

  void Line(std::string_view Text, LinPosDef tPos) {
    tOut.Pbn.append(Text).push_back('\n');
    tOut.atLinePos.push_back(tPos);
  }

  void WriteHead() {
    tOut.Pbn.reserve(Text.size() + Text.size() / 4);  // PBN is about as long as LIN
    tOut.atLinePos.reserve(Text.size() / 16);
    Line("% PBN 2.1", {1, 1});
    Line("% EXPORT", {1, 1});
    Line("% Content-type: text/x-pbn; charset=UTF-8", {1, 1});
    Line("% Converted from LIN by Karvelon", {1, 1});
    Line("", {1, 1});
  }

  // A text of the file in UTF-8 (the bytes of a Latin-1 file are its characters), a blank for
  // each control character; line feeds kept when asked for.
  std::string Utf8Text(std::string_view Raw, bool bLineFeeds) const {
    std::string Utf8;
    Utf8.reserve(Raw.size());
    for (const char cRaw : Raw) {
      const auto c = static_cast<unsigned char>(cRaw);
      if ((c < 0x20 && !(bLineFeeds && c == '\n')) || c == 0x7F) {
        Utf8 += ' ';
      } else if (c >= 0x80 && !bUtf8) {
        Utf8 += static_cast<char>(0xC0 | (c >> 6));
        Utf8 += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        Utf8 += static_cast<char>(c);
      }
    }
    return Utf8;
  }

  // A text of the file as the value of a tag: UTF-8, no control characters, quote and backslash
  // escaped (except a backslash that makes a suit symbol), cut to what the tag's line leaves it.
  std::string Value(const char* pcTag, std::string_view Raw, bool bSuitEscapes = false) {
    const std::size_t MaxBytes = kMaxLineBytes - std::strlen(pcTag) - std::strlen("[ \"\"]");
    const bool bPlain = Raw.size() <= MaxBytes && std::all_of(Raw.begin(), Raw.end(), [](char c) {
                          return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
                        });
    if (bPlain) return std::string(Raw);
    const std::string Text = Utf8Text(Raw, false);
    std::string Utf8;
    for (std::size_t i = 0; i < Text.size(); i++) {
      const char c = Text[i];
      std::string Piece(1, c);
      if (c == '"') {
        Piece = "\\\"";
      } else if (c == '\\' && !(bSuitEscapes && i + 1 < Text.size() &&
                                std::strchr("SHDC", Text[i + 1]) != nullptr)) {
        Piece = "\\\\";
      }
      if (Utf8.size() + Piece.size() > MaxBytes) break;
      Utf8 += Piece;
    }
    // A cut may not split a UTF-8 sequence.
    while (!Utf8.empty() && (static_cast<unsigned char>(Utf8.back()) & 0xC0) == 0x80 &&
           !IsUtf8(Utf8))
      Utf8.pop_back();
    if (!Utf8.empty() && !IsUtf8(Utf8)) Utf8.pop_back();
    return Utf8;
  }

  void Tag(const char* pcName, std::string_view Value, LinPosDef tPos) {
    tOut.Pbn.append("[").append(pcName).append(" \"").append(Value).append("\"]\n");
    tOut.atLinePos.push_back(tPos);
  }

  // The calls and cards of a section go a row at a time; a comment ends the row it stands in.
  void RowAdd(std::string_view Token, LinPosDef tPos) {
    if (Row.empty()) {
      tRowPos = tPos;
    } else {
      Row += ' ';
    }
    Row += Token;
  }

  void RowEnd() {
    if (Row.empty()) return;
    Line(Row, tRowPos);
    Row.clear();
  }

  // Each comment goes after the last card shown where it stands, else after the last call, else
  // before the tags: as far as the game written holds those cards and calls.
  void PlaceComments(const ContractDef& tContract) {
    const bool bCalls = !tBoard.atCalls.empty() && tBoard.Dealer != kNoSide;
    const bool bCards = tContract.bEnded && tContract.Declarer != kNoSide;
    for (CommentDef& tComment : tBoard.atComments) {
      if (bCards && tComment.NrCards > 0) {
        tComment.Place = CommentDef::CARD;
        tComment.Index = std::min<std::size_t>(tComment.NrCards, 52) - 1;
      } else if (bCalls && tComment.NrCalls > 0) {
        tComment.Place = CommentDef::CALL;
        tComment.Index = tComment.NrCalls - 1;
      }
    }
  }

  // The comments of one place (they are in the order of their places, as in the file).
  void WriteComments(CommentDef::PlaceDef Place, std::size_t Index) {
    const auto Before = [](const CommentDef& tComment, std::pair<int, std::size_t> At) {
      return std::pair<int, std::size_t>(tComment.Place, tComment.Index) < At;
    };
    const std::pair<int, std::size_t> At(Place, Index);
    for (auto it = std::lower_bound(tBoard.atComments.begin(), tBoard.atComments.end(), At, Before);
         it != tBoard.atComments.end() && it->Place == Place && it->Index == Index; ++it) {
      const std::vector<std::string> aLines = CommentLines(it->Text);
      if (!aLines.empty()) RowEnd();
      for (const std::string& CommentLine : aLines)
        Line(CommentLine, it->tPos);
    }
  }

  // A commentary as the lines of one brace comment, or none for a blank one. PBN has no escape
  // in a comment: its braces become parentheses. Suit symbols "!S" become "\S", as in notes. Its
  // own line breaks stay, without blank lines (which end a game for some readers); long lines
  // are broken at blanks; a line never starts with "%", which a PBN 1.0 reader takes for an
  // escape line.
  std::vector<std::string> CommentLines(std::string_view Raw) const {
    std::string Text = Utf8Text(Raw, true);
    SuitSymbols(&Text);
    std::replace(Text.begin(), Text.end(), '{', '(');
    std::replace(Text.begin(), Text.end(), '}', ')');
    std::vector<std::string> aLines;
    std::string_view Rest = Text;
    while (!Rest.empty()) {
      const std::size_t End = std::min(Rest.find('\n'), Rest.size());
      WrapLine(TrimBlanks(Rest.substr(0, End)), &aLines);
      Rest.remove_prefix(std::min(End + 1, Rest.size()));
    }
    if (aLines.empty()) return aLines;
    for (std::size_t i = 1; i < aLines.size(); i++) {
      if (aLines[i][0] == '%') aLines[i].insert(0, " ");
    }
    aLines.front().insert(0, "{");
    aLines.back() += '}';
    return aLines;
  }

  static void WrapLine(std::string_view Text, std::vector<std::string>* paLines) {
    while (!Text.empty()) {
      std::size_t End = 0;
      std::size_t Break = 0;  // after the last word that fits
      for (std::size_t NrChars = 0; End < Text.size() && NrChars < kCommentChars; NrChars++) {
        std::size_t Next = End + 1;
        while (Next < Text.size() && (static_cast<unsigned char>(Text[Next]) & 0xC0) == 0x80)
          Next++;
        if (Next > kCommentBytes) break;
        if (Text[End] == ' ') Break = End;
        End = Next;
      }
      if (End < Text.size() && Text[End] == ' ') Break = End;
      if (End < Text.size() && Break > 0) End = Break;  // else a word longer than a line is cut
      paLines->emplace_back(TrimBlanks(Text.substr(0, End)));
      Text = TrimBlanks(Text.substr(End));
    }
  }

  // Writes the board as a game when its deal holds a card; whether it did.
  bool FlushBoard() {
    if (!tBoard.bDealt || NrCards(0) + NrCards(1) + NrCards(2) + NrCards(3) == 0) return false;
    tOut.NrBoards++;
    CompleteSituation();
    const ContractDef tContract = ContractOf();
    PlaceComments(tContract);
    WriteComments(CommentDef::HEAD, 0);
    const LinPosDef tDealPos = tBoard.tDealPos;
    if (!tContext.Event.empty()) Tag("Event", Value("Event", tContext.Event), tDealPos);
    if (!tContext.Stage.empty()) Tag("Stage", Value("Stage", tContext.Stage), tDealPos);
    if (tBoard.Number > 0) Tag("Board", std::to_string(tBoard.Number), tBoard.tNumberPos);
    if (tBoard.Room) Tag("Room", tBoard.Room == 'o' ? "Open" : "Closed", tBoard.tNumberPos);
    WriteNames();
    WriteSituation();
    Tag("Deal", DealText(), tDealPos);
    WriteAuction(tContract);
    Line("", tOut.atLinePos.back());  // ends the game: its whole-game checks name its last place
    return true;
  }

  void WriteNames() {
    if (!tBoard.bNames) return;
    static constexpr std::array<int, 4> aOrder = {pbn::PBN_WEST, pbn::PBN_NORTH, pbn::PBN_EAST,
                                                  pbn::PBN_SOUTH};
    for (int Side : aOrder) {
      const std::string Name = Value(pbn::apcPbnSideNames[Side], tBoard.aNames[Side]);
      Tag(pbn::apcPbnSideNames[Side], Name.empty() ? "?" : Name, tBoard.tNamesPos);
    }
  }

  // Dealer and vulnerability from md and sv, else from the board number as the rotation gives.
  void CompleteSituation() {
    static constexpr std::array<int, 4> aDealers = {pbn::PBN_NORTH, pbn::PBN_EAST, pbn::PBN_SOUTH,
                                                    pbn::PBN_WEST};
    static constexpr std::array<int, 16> aVulners = {0, 1, 2, 3, 1, 2, 3, 0,
                                                     2, 3, 0, 1, 3, 0, 1, 2};
    const int Number = tBoard.Number;
    if (tBoard.Dealer == kNoSide && Number > 0) tBoard.Dealer = aDealers[(Number - 1) % 4];
    if (tBoard.Vulner < 0 && Number > 0) {
      tBoard.Vulner = aVulners[(Number - 1) % 16];
      tBoard.tVulnerPos = tBoard.tNumberPos;
    }
  }

  void WriteSituation() {
    if (tBoard.Dealer != kNoSide) {
      Tag("Dealer", std::string(1, acSideLetters[tBoard.Dealer]), tBoard.tDealPos);
    }
    if (tBoard.Vulner >= 0) {
      Tag("Vulnerable", pbn::apcPbnVulnerNames[tBoard.Vulner], tBoard.tVulnerPos);
    }
  }

  std::string DealText() const {
    pbn::PbnDealDef tDeal;
    for (int Side = 0; Side < pbn::PBN_N_SIDES; Side++)
      tDeal.tHands[Side].Ranks = tBoard.aaHands[Side];
    return pbn::DealText(tDeal);
  }

  ContractDef ContractOf() const {
    ContractDef tContract;
    const std::vector<CallDef>& atCalls = tBoard.atCalls;
    const int NrCalls = static_cast<int>(atCalls.size());
    int NrPasses = 0;
    for (int i = 0; i < NrCalls; i++) {
      NrPasses = atCalls[i].Type == CallDef::PASS ? NrPasses + 1 : 0;
      if (atCalls[i].Type == CallDef::BID) {
        tContract.Last = i;
        tContract.Risk = 0;
      } else if (atCalls[i].Type != CallDef::PASS) {
        tContract.Risk = atCalls[i].Type == CallDef::DOUBLE ? 1 : 2;
      }
    }
    tContract.bEnded = NrCalls >= 4 && NrPasses >= 3 && (tContract.Last >= 0 || NrPasses >= 4);
    if (tContract.Last < 0 || tBoard.Dealer == kNoSide) return tContract;
    const int Strain = atCalls[tContract.Last].Strain;
    const int Side = (tBoard.Dealer + tContract.Last) % 4;
    for (int i = 0; i <= tContract.Last; i++) {
      const int Caller = (tBoard.Dealer + i) % 4;
      if (Caller % 2 == Side % 2 && atCalls[i].Type == CallDef::BID &&
          atCalls[i].Strain == Strain) {
        tContract.Declarer = Caller;
        break;
      }
    }
    return tContract;
  }

  std::string CallText(const CallDef& tCall) const {
    switch (tCall.Type) {
      case CallDef::PASS:
        return "Pass";
      case CallDef::DOUBLE:
        return "X";
      case CallDef::REDOUBLE:
        return "XX";
      default:
        return std::to_string(tCall.Level) + pbn::apcPbnTrumpNames[tCall.Strain];
    }
  }

  static std::string NoteText(const CallDef& tCall) {
    if (!tCall.bNote || tCall.Note.empty()) return "alerted";
    std::string Text = tCall.Note;
    SuitSymbols(&Text);
    return Text;
  }

  void WriteAuction(const ContractDef& tContract) {
    const bool bPassedOut = tContract.bEnded && tContract.Last < 0;
    if (tContract.bEnded && tContract.Declarer != kNoSide) {
      Tag("Declarer", std::string(1, acSideLetters[tContract.Declarer]),
          tBoard.atCalls[tContract.Last].tPos);
      const CallDef& tLast = tBoard.atCalls[tContract.Last];
      Tag("Contract", CallText(tLast) + pbn::apcPbnRiskNames[tContract.Risk], tLast.tPos);
    } else if (bPassedOut) {
      Tag("Contract", "Pass", tBoard.atCalls.back().tPos);
    }
    const bool bPlayable = tContract.bEnded && tContract.Declarer != kNoSide;
    const PlayDef tPlay = bPlayable ? PlayOf(tContract) : PlayDef{};
    const int Result = ResultOf(tContract, tPlay);
    if (Result >= 0) {
      Tag("Result", std::to_string(Result),
          tBoard.Claim >= 0 ? tBoard.tClaimPos : tBoard.atCards.back().tPos);
    }
    if (!tBoard.atCalls.empty() && tBoard.Dealer == kNoSide) {
      Say(tBoard.atCalls[0].tPos, "E: LIN auction without a dealer: its calls are left out");
    } else if (!tBoard.atCalls.empty()) {
      WriteCalls();
    }
    if (!tBoard.atCards.empty()) WritePlay(tContract, tPlay);
  }

  void WriteCalls() {
    Tag("Auction", std::string(1, acSideLetters[tBoard.Dealer]), tBoard.atCalls[0].tPos);
    std::vector<std::pair<std::string, LinPosDef>> aNotes;
    for (std::size_t i = 0; i < tBoard.atCalls.size(); i++) {
      const CallDef& tCall = tBoard.atCalls[i];
      RowAdd(CallText(tCall), tCall.tPos);
      if ((tCall.bAlert || tCall.bNote) && aNotes.size() < kMaxNotes) {
        aNotes.emplace_back(NoteText(tCall), tCall.tPos);
        RowAdd("=" + std::to_string(aNotes.size()) + "=", tCall.tPos);
      }
      WriteComments(CommentDef::CALL, i);
      if (i % 4 == 3) RowEnd();
    }
    RowEnd();
    for (std::size_t Note = 0; Note < aNotes.size(); Note++) {
      Tag("Note", Value("Note", std::to_string(Note + 1) + ":" + aNotes[Note].first, true),
          aNotes[Note].second);
    }
  }

  // The seats of the cards played and the winner of each complete trick: tricks from
  // declarer's left, each trick's winner leading the next.
  struct PlayDef {
    std::array<int, 52> aSeats;
    std::array<int, 13> aWinners;
    int NrCards = 0;
    int NrTricks = 0;
  };

  PlayDef PlayOf(const ContractDef& tContract) const {
    const int Trump = tBoard.atCalls[tContract.Last].Strain;
    const int NrCards = static_cast<int>(std::min<std::size_t>(tBoard.atCards.size(), 52));
    PlayDef tPlay;
    int Leader = (tContract.Declarer + 1) % 4;
    for (int First = 0; First < NrCards; First += 4) {
      std::array<pbn::PbnCardDef, pbn::PBN_N_SIDES> atTrick{};
      for (int k = First; k < First + 4 && k < NrCards; k++) {
        tPlay.aSeats[tPlay.NrCards++] = (Leader + k - First) % 4;
        const CardDef& tCard = tBoard.atCards[k];
        atTrick[k - First] = {static_cast<pbn::PbnSuitDef>(tCard.Suit), RankBit(tCard.Rank)};
      }
      if (First + 4 > NrCards) break;
      Leader = tPlay.aSeats[First + pbn::PbnTrickWinner(atTrick, Trump)];
      tPlay.aWinners[tPlay.NrTricks++] = Leader;
    }
    return tPlay;
  }

  // The claim, else the tricks of declarer's side once all 13 are played.
  int ResultOf(const ContractDef& tContract, const PlayDef& tPlay) const {
    if (tBoard.Claim >= 0) return tBoard.Claim;
    if (tPlay.NrTricks != 13) return -1;
    return static_cast<int>(
        std::count_if(tPlay.aWinners.begin(), tPlay.aWinners.begin() + tPlay.NrTricks,
                      [&](int Winner) { return Winner % 2 == tContract.Declarer % 2; }));
  }

  void WritePlay(const ContractDef& tContract, const PlayDef& tPlay) {
    if (!tContract.bEnded || tContract.Declarer == kNoSide) {
      Say(tBoard.atCards[0].tPos, "E: LIN play without a contract: its cards are left out");
      return;
    }
    const int PlayLeader = (tContract.Declarer + 1) % 4;
    Tag("Play", std::string(1, acSideLetters[PlayLeader]), tBoard.atCards[0].tPos);
    const auto NrCards = static_cast<std::size_t>(tPlay.NrCards);
    if (tBoard.atCards.size() > 52) {
      Say(tBoard.atCards[52].tPos, "E: LIN play: more than 52 cards, the rest left out");
    }
    // A row per trick by seat from the leader, "-" for a seat that has not played.
    for (std::size_t First = 0; First < NrCards; First += 4) {
      std::array<std::size_t, 4> aBySeat;
      aBySeat.fill(NrCards);
      for (std::size_t k = First; k < First + 4 && k < NrCards; k++)
        aBySeat[(tPlay.aSeats[k] - PlayLeader + 4) % 4] = k;
      for (const std::size_t k : aBySeat) {
        if (k == NrCards) {
          RowAdd("-", tBoard.atCards[First].tPos);
          continue;
        }
        RowAdd(CardName(tBoard.atCards[k].Suit, tBoard.atCards[k].Rank), tBoard.atCards[k].tPos);
        WriteComments(CommentDef::CARD, k);
      }
      RowEnd();
    }
    if (NrCards < 52) Line("*", tBoard.atCards.back().tPos);
  }
};

}  // namespace

LinToPbnDef LinToPbn(std::string_view Lin) {
  LinToPbnDef tOut;
  Converter(Lin, &tOut).Run();
  return tOut;
}

bool IsLinPath(std::string_view Path) {
  if (Path.size() < 4) return false;
  std::string Extension(Path.substr(Path.size() - 4));
  std::transform(Extension.begin(), Extension.end(), Extension.begin(), Lower);
  return Extension == ".lin";
}

}  // namespace lin
