#include "import/reading.h"

#include <cctype>
#include <cstring>

namespace pbn {

namespace {

constexpr int kHeadMaxLines = 1000;  // a head is a few lines; a file of comments is no head

bool StartsWithBom(const char* pcLine) {
  return std::strncmp(pcLine, "\xEF\xBB\xBF", 3) == 0;
}

// "% PBN 2.1": the version after the word PBN, as written; the line starts at LinePos.
void ReadVersion(const char* pcLine, long LinePos, PbnHeadDef* ptHead) {
  const char* pc = pcLine + 1;
  while (*pc == ' ' || *pc == '\t')
    pc++;
  if (std::strncmp(pc, "PBN", 3) != 0 || (pc[3] != ' ' && pc[3] != '\t')) return;
  pc += 3;
  while (*pc == ' ' || *pc == '\t')
    pc++;
  if (!std::isdigit(static_cast<unsigned char>(pc[0])) || pc[1] != '.' ||
      !std::isdigit(static_cast<unsigned char>(pc[2]))) {
    return;
  }
  std::memcpy(ptHead->acVersion, pc, 3);
  ptHead->acVersion[3] = '\0';
  ptHead->VersionPos = LinePos + (pc - pcLine);
}

bool DeclaresUtf8(const char* pcLine) {
  static constexpr char acCharset[] = "charset=utf-8";
  const std::size_t Length = sizeof acCharset - 1;
  for (const char* pc = pcLine; std::strlen(pc) >= Length; pc++) {
    std::size_t i = 0;
    while (i < Length && std::tolower(static_cast<unsigned char>(pc[i])) == acCharset[i])
      i++;
    if (i == Length) return true;
  }
  return false;
}

// Whether a line of the head ends it: anything but an escape, comment or blank line.
bool EndsHead(const char* pcLine) {
  const char* pc = pcLine;
  while (*pc == ' ' || *pc == '\t' || *pc == '\r' || *pc == '\n')
    pc++;
  return *pc != '\0' && *pc != ';' && *pc != '{';
}

}  // namespace

PbnHeadDef PbnReadHead(std::FILE* pFile) {
  PbnHeadDef tHead{};
  tHead.bConverted = PbnStreamConverted(pFile) != nullptr;
  const long FilePos = std::ftell(pFile);
  if (FilePos < 0 || std::fseek(pFile, 0, SEEK_SET) != 0) return tHead;
  char acLine[4096];
  bool bInComment = false;
  for (int Line = 0; Line < kHeadMaxLines; Line++) {
    const long LinePos = std::ftell(pFile);
    if (std::fgets(acLine, sizeof acLine, pFile) == nullptr) break;
    const char* pcLine = acLine;
    if (Line == 0 && StartsWithBom(pcLine)) {
      tHead.bBom = true;
      pcLine += 3;
    }
    if (!bInComment && pcLine[0] == '%') {
      if (tHead.acVersion[0] == '\0') ReadVersion(pcLine, LinePos + (pcLine - acLine), &tHead);
      tHead.bUtf8 = tHead.bUtf8 || DeclaresUtf8(pcLine);
      continue;
    }
    if (!bInComment && EndsHead(pcLine)) break;
    // A brace comment may run over several lines of the head.
    for (const char* pc = pcLine; *pc != '\0'; pc++) {
      if (bInComment) {
        bInComment = *pc != '}';
      } else if (*pc == ';') {
        break;
      } else if (*pc == '{') {
        bInComment = true;
      }
    }
  }
  std::fseek(pFile, FilePos, SEEK_SET);
  return tHead;
}

PbnImportOptionsDef PbnReadingFor(ReadingChoiceDef Choice, const PbnHeadDef& tHead) {
  PbnImportOptionsDef tOptions;
  if (tHead.bConverted) {
    tOptions.Standard = PBN_STANDARD_2_1;
    tOptions.Encoding = PBN_ENCODING_UTF_8;
    return tOptions;
  }
  if (Choice == ReadingChoiceDef::Pbn21 ||
      (Choice == ReadingChoiceDef::AsDeclared && PbnHeadDeclares2(tHead))) {
    tOptions.Standard = PBN_STANDARD_2_1;
    if (tHead.bUtf8 || tHead.bBom) tOptions.Encoding = PBN_ENCODING_UTF_8;
  }
  return tOptions;
}

const char* PbnStandardName(PbnStandardDef Standard) {
  return Standard == PBN_STANDARD_2_1 ? "PBN 2.1" : "PBN 1.0";
}

bool PbnParseReadingChoice(const char* pcText, ReadingChoiceDef* pChoice) {
  if (std::strcmp(pcText, "1.0") == 0) {
    *pChoice = ReadingChoiceDef::Pbn10;
  } else if (std::strcmp(pcText, "2.1") == 0) {
    *pChoice = ReadingChoiceDef::Pbn21;
  } else if (std::strcmp(pcText, "auto") == 0) {
    *pChoice = ReadingChoiceDef::AsDeclared;
  } else {
    return false;
  }
  return true;
}

void PbnSkipBom(std::FILE* pFile, const PbnHeadDef& tHead, const PbnImportOptionsDef& tOptions) {
  if (tHead.bBom && tOptions.Encoding == PBN_ENCODING_UTF_8) std::fseek(pFile, 3, SEEK_SET);
}

}  // namespace pbn
