#pragma once

#include <QString>

// Every key the program reads or writes, application and section included.
// Readers spell the geometry keys "Top", "Width", "Height"; the close request
// writes "top", "width", "height". The store matches them without regard to
// case, so each pair names one value.
namespace StoreKeys {

inline const QString application = QStringLiteral("MIRTAL");
inline const QString section = QStringLiteral("MIRTAL");

inline const QString content1 = QStringLiteral("Pindel1");
inline const QString title1 = QStringLiteral("Pindel2");
inline const QString content2 = QStringLiteral("Pindel3");
inline const QString content3 = QStringLiteral("Pindel4");
inline const QString title2 = QStringLiteral("Pindel5");
inline const QString title3 = QStringLiteral("Pindel6");
// The cards' text keys in the store's order.
inline const QString cardTexts[] = {content1, title1, content2, content3, title2, title3};

inline const QString readLeft = QStringLiteral("left");
inline const QString readTop = QStringLiteral("Top");
inline const QString readWidth = QStringLiteral("Width");
inline const QString readHeight = QStringLiteral("Height");

inline const QString writeLeft = QStringLiteral("left");
inline const QString writeTop = QStringLiteral("top");
inline const QString writeWidth = QStringLiteral("width");
inline const QString writeHeight = QStringLiteral("height");

} // namespace StoreKeys
