#include "records/traveller.h"

#include <set>

#include "scoring/traveller.h"

namespace records {

namespace {

using scoring::MethodDef;

QString MethodHeading(MethodDef Method) {
  switch (Method) {
    case MethodDef::Matchpoints:
      return QStringLiteral("Traveller: matchpoints");
    case MethodDef::CrossImps:
      return QStringLiteral("Traveller: cross-IMPs");
    case MethodDef::Butler:
      return QStringLiteral("Traveller: Butler IMPs");
    case MethodDef::Teams:
      return QStringLiteral("Traveller: IMPs between the rooms");
  }
  return QStringLiteral("Traveller");
}

QString SuitOfLetter(QChar cLetter) {
  switch (cLetter.toLatin1()) {
    case 'S':
      return SuitSymbol(pbn::PBN_SPADES);
    case 'H':
      return SuitSymbol(pbn::PBN_HEARTS);
    case 'D':
      return SuitSymbol(pbn::PBN_DIAMONDS);
    case 'C':
      return SuitSymbol(pbn::PBN_CLUBS);
    default:
      return cLetter;
  }
}

// A contract cell ("4SX", "3NT", "Pass") with the suit as its symbol.
QString ContractCell(const std::string& Text) {
  QString Cell = QString::fromStdString(Text);
  if (Cell.size() >= 2 && Cell[0].isDigit()) Cell.replace(1, 1, SuitOfLetter(Cell[1]));
  return Cell;
}

// A lead cell ("SA", "HT") as hand records print a card: "♠A", "♥10".
QString LeadCell(const std::string& Text) {
  if (Text.size() != 2) return QString::fromStdString(Text);
  return SuitOfLetter(QLatin1Char(Text[0])) +
         (Text[1] == 'T' ? QStringLiteral("10") : QString(QLatin1Char(Text[1])));
}

}  // namespace

TravellerDef TravellerOf(const scoring::SessionDef& tSession, const scoring::BoardDef& tBoard,
                         const scoring::ResultDef* ptOwn) {
  const std::vector<scoring::TravellerColumnDef> atColumns =
      scoring::TravellerColumns(tBoard.Method);
  std::vector<std::vector<std::string>> aaCells;
  std::set<scoring::UInt32> aSections;
  int OwnRow = -1;
  for (scoring::UInt32 ResultNr : tBoard.aResults) {
    const scoring::ResultDef& tResult = tSession.Results()[ResultNr];
    if (&tResult == ptOwn) OwnRow = static_cast<int>(aaCells.size());
    aaCells.push_back(scoring::TravellerCells(tResult, tBoard.Method));
    aSections.insert(tResult.SectionNr);
  }
  // The section of each result where the board was played in more than one.
  const bool bSections = aSections.size() > 1;
  TravellerDef tTraveller;
  tTraveller.Heading = MethodHeading(tBoard.Method);
  tTraveller.OwnRow = OwnRow;
  tTraveller.aaRows.resize(aaCells.size());
  if (bSections) {
    tTraveller.Headers << QStringLiteral("Section");
    tTraveller.abRight.push_back(false);
    for (size_t Row = 0; Row < aaCells.size(); ++Row) {
      const scoring::ResultDef& tResult = tSession.Results()[tBoard.aResults[Row]];
      tTraveller.aaRows[Row] << QString::fromStdString(
          tSession.Sections()[tResult.SectionNr].Section);
    }
  }
  for (size_t Column = 0; Column < atColumns.size(); ++Column) {
    bool bFilled = false;
    for (const auto& aCells : aaCells)
      bFilled = bFilled || !aCells[Column].empty();
    if (!bFilled) continue;
    const std::string_view Header = atColumns[Column].pcHeader;
    tTraveller.Headers << QString::fromLatin1(atColumns[Column].pcHeader);
    tTraveller.abRight.push_back(atColumns[Column].bRight);
    for (size_t Row = 0; Row < aaCells.size(); ++Row) {
      const std::string& Cell = aaCells[Row][Column];
      tTraveller.aaRows[Row] << (Header == "Contract" ? ContractCell(Cell)
                                 : Header == "Lead"   ? LeadCell(Cell)
                                                      : QString::fromStdString(Cell));
    }
  }
  return tTraveller;
}

}  // namespace records
