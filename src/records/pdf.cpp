#include "records/pdf.h"

#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace records {

bool CanWrite(const QString& Path, QString* pError) {
  QSaveFile tFile(Path);
  if (tFile.open(QIODevice::WriteOnly)) {
    tFile.cancelWriting();
    return true;
  }
  *pError = tFile.errorString();
  return false;
}

bool WritePdf(const QString& Path, const DocumentDef& tDocument, QPageSize::PageSizeId Paper,
              QString* pError) {
  QSaveFile tFile(Path);  // a temporary file beside Path, renamed over it by commit()
  if (!tFile.open(QIODevice::WriteOnly)) {
    *pError = tFile.errorString();
    return false;
  }
  {
    QPdfWriter tWriter(&tFile);
    tWriter.setTitle(tDocument.Title);
    tWriter.setCreator(QStringLiteral("Karvelon " KARVELON_VERSION));
    tWriter.setPageSize(QPageSize(Paper));
    tWriter.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter tPainter;
    if (!tPainter.begin(&tWriter)) {
      *pError = QStringLiteral("cannot start the PDF");
      tFile.cancelWriting();
      return false;
    }
    DrawPages(&tPainter, &tWriter, tDocument, 1, PageCount(tDocument));
    tPainter.end();
  }
  if (!tFile.commit()) {
    *pError = tFile.errorString();
    return false;
  }
  return true;
}

}  // namespace records
