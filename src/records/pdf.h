// The hand records as a PDF file: vector text in embedded DejaVu Sans, title and creator set.
#pragma once

#include <QByteArray>
#include <QPageSize>
#include <QString>

#include "records/pages.h"

namespace records {

// Draws the document as PDF bytes in memory, for the safe writer to write; false with the reason
// in *pError when the PDF cannot be started.
bool RenderPdf(const DocumentDef& tDocument, QPageSize::PageSizeId Paper, QByteArray* pPdf,
               QString* pError);

// Renders the document and writes it to Path by the safe writer (files/safe_writer.h): beside
// Path, renamed over it once complete, its mode, owner and link kept; a read-only target or one
// with other names (hard links) refused. On failure *pError says why and Path stays as it was.
bool WritePdf(const QString& Path, const DocumentDef& tDocument, QPageSize::PageSizeId Paper,
              QString* pError);

}  // namespace records
