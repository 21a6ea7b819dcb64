// The hand records as a PDF file: vector text in embedded DejaVu Sans, title and creator set.
#pragma once

#include <QPageSize>
#include <QString>

#include "records/pages.h"

namespace records {

// Whether a file can be written at Path (its folder exists and takes new files), before a long
// run; on failure the system's reason in *pError.
bool CanWrite(const QString& Path, QString* pError);

// Writes the document to Path through a temporary file beside it, renamed over Path once
// complete; on failure says why in *pError (the system's reason) and leaves Path as it was.
bool WritePdf(const QString& Path, const DocumentDef& tDocument, QPageSize::PageSizeId Paper,
              QString* pError);

}  // namespace records
