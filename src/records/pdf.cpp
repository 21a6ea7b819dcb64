#include "records/pdf.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>

#include "files/safe_writer.h"

namespace records {

bool RenderPdf(const DocumentDef& tDocument, QPageSize::PageSizeId Paper, QByteArray* pPdf,
               QString* pError) {
  QBuffer tBuffer(pPdf);
  tBuffer.open(QIODevice::WriteOnly);
  QPdfWriter tWriter(&tBuffer);
  tWriter.setTitle(tDocument.Title);
  tWriter.setCreator(QStringLiteral("Karvelon " KARVELON_VERSION));
  tWriter.setPageSize(QPageSize(Paper));
  tWriter.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter tPainter;
  if (!tPainter.begin(&tWriter)) {
    *pError = QStringLiteral("cannot start the PDF");
    return false;
  }
  DrawPages(&tPainter, &tWriter, tDocument, 1, PageCount(tDocument));
  tPainter.end();  // writes the PDF's tail into the buffer
  return true;
}

bool WritePdf(const QString& Path, const DocumentDef& tDocument, QPageSize::PageSizeId Paper,
              QString* pError) {
  QByteArray Pdf;
  if (!RenderPdf(tDocument, Paper, &Pdf, pError)) return false;
  files::SafeWriter tWriter("hand-records");
  if (tWriter.Open(QFile::encodeName(Path).toStdString()) &&
      tWriter.Write(std::string_view(Pdf.constData(), static_cast<size_t>(Pdf.size()))) &&
      tWriter.Commit()) {
    return true;
  }
  *pError = QString::fromLocal8Bit(tWriter.Reason().c_str());  // the caller names the file
  return false;
}

}  // namespace records
