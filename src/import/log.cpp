// The import log: lines written while a file is indexed.
#include <cstdio>
#include <map>

#include "import/import.h"
#include "import/import_internal.h"

namespace pbn {

int PbnVerbose = 0;

namespace {

PbnLogSinkDef tLogSink;

std::map<std::FILE*, std::shared_ptr<const PbnConvertedDef>> tConvertedStreams;
std::shared_ptr<const PbnConvertedDef> ptSource;  // of the last index pass, when converted

// In front of a log line: the line of the file ("134: ") when asked for, the place in the source
// of a converted file ("12:40: ") always.
std::string LinePrefix() {
  if (ptSource != nullptr && FileLineNr >= 1 && FileLineNr <= ptSource->atLinePos.size()) {
    const PbnSourcePosDef& tPos = ptSource->atLinePos[FileLineNr - 1];
    return std::to_string(tPos.Line) + ":" + std::to_string(tPos.Column) + ": ";
  }
  if (tLogSink.bLineNumbers) return std::to_string(FileLineNr) + ": ";
  return {};
}

void WriteRaw(const std::string& Line) {
  if (tLogSink.pFile != nullptr) std::fprintf(tLogSink.pFile, "%s\n", Line.c_str());
  if (tLogSink.pMemory != nullptr) tLogSink.pMemory->append(Line).push_back('\n');
}

void WriteLine(const char* pString) {
  if (tLogSink.pFile == nullptr && tLogSink.pMemory == nullptr) return;
  WriteRaw(LinePrefix() + pString);
}

// Whether an entry goes into the list of entries: counted only beyond its limit.
bool KeepEntry() {
  if (tLogSink.ptEntries == nullptr) return false;
  if (tLogSink.ptEntries->size() < tLogSink.MaxEntries) return true;
  if (tLogSink.pNrUnkept != nullptr) ++*tLogSink.pNrUnkept;
  return false;
}

}  // namespace

void PbnImportLog(const PbnLogSinkDef& tSink) {
  tLogSink = tSink;
}

const PbnLogSinkDef& PbnImportLogSink() {
  return tLogSink;
}

void PbnImportFile(std::FILE* pFile) {
  PbnImportLog({pFile, nullptr});
}

void PbnStreamSetConverted(std::FILE* pFile, std::shared_ptr<const PbnConvertedDef> ptConverted) {
  if (ptConverted == nullptr) {
    tConvertedStreams.erase(pFile);
  } else {
    tConvertedStreams[pFile] = std::move(ptConverted);
  }
}

const PbnConvertedDef* PbnStreamConverted(std::FILE* pFile) {
  const auto It = tConvertedStreams.find(pFile);
  return It == tConvertedStreams.end() ? nullptr : It->second.get();
}

void PbnImportLogBegin(std::FILE* pFile) {
  const auto It = tConvertedStreams.find(pFile);
  ptSource = It == tConvertedStreams.end() ? nullptr : It->second;
  if (ptSource == nullptr) return;
  for (const std::string& Line : ptSource->aLogLines)
    WriteRaw(Line);
}

UInt32 PbnImportSourceLine(UInt32 LineNr) {
  if (ptSource == nullptr || LineNr < 1 || LineNr > ptSource->atLinePos.size()) return LineNr;
  return ptSource->atLinePos[LineNr - 1].Line;
}

void ImportPrintf(const char* pString) {
  WriteLine(pString);
  if (KeepEntry())
    tLogSink.ptEntries->push_back({PbnImportSourceLine(FileLineNr), "", "", pString});
}

void ImportPrintLine(const char* pcLine, const char* pcMarks, const char* pcMessage) {
  WriteLine(pcLine);
  if (pcMarks == nullptr || pcMessage == nullptr) return;  // an echo of a line without error
  WriteLine(pcMarks);
  WriteLine(pcMessage);
  if (KeepEntry()) {
    tLogSink.ptEntries->push_back({PbnImportSourceLine(FileLineNr), pcLine, pcMarks, pcMessage});
  }
}

void ImportPrintf2(const char* pString, long Value) {
  if (tLogSink.pFile == nullptr && tLogSink.pMemory == nullptr && tLogSink.ptEntries == nullptr) {
    return;
  }
  char acBuffer[81];
  std::snprintf(acBuffer, sizeof acBuffer, pString, static_cast<int>(Value));
  ImportPrintf(acBuffer);
}

}  // namespace pbn
