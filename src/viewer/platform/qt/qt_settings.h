// What the interactive viewer keeps between runs (QSettings, organisation and application
// "Karvelon"): the choices of the Options menu, the recent files, the window and its docks.
#pragma once

#include <QSettings>
#include <QString>

namespace viewer::qt {

inline QSettings Settings() {
  return QSettings(QStringLiteral("Karvelon"), QStringLiteral("Karvelon"));
}

inline const QString kWithMistakesKey = QStringLiteral("Options/GamesWithMistakes");
inline const QString kAnnotationKey = QStringLiteral("Options/Annotation");
inline const QString kDoubleDummyKey = QStringLiteral("Options/DoubleDummy");
inline const QString kRecentKey = QStringLiteral("Files/Recent");
inline const QString kGeometryKey = QStringLiteral("Window/Geometry");
inline const QString kDocksKey = QStringLiteral("Window/Docks");
inline constexpr int kNrRecentFiles = 8;

}  // namespace viewer::qt
