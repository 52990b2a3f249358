#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The marquee's two values, kept for the whole run: the position (1-based
// start character of both banners' slices, raised by every tick, never
// wrapping) and the stop flag of the caption marquee. Both start at 0; only
// the tick advances them, only activation and restore reset them.
struct MarqueeState
{
    qint64 position = 0;
    int stopFlag = 0;

    void reset()
    {
        position = 0;
        stopFlag = 0;
    }
};

// The banners that scroll through the window's caption and the tray icon's
// tip, and the tick that advances them.
namespace Marquee {

// The window's caption when it is created; both banners carry it.
inline const QString designCaption =
    QStringLiteral("MIR-TAL Orbo -  Pindel ! (Inhalt bleibt immer erhalten)");

// The tick's interval (the window's timer, `Timer1`), for the whole run.
inline constexpr int tickMs = 200;

inline constexpr int sliceWidth = 30;
inline const QString captionHead = QStringLiteral(" MIR-TAL ORBO     ");
inline const QString webAddress = QStringLiteral("www.mir-tal.de");

const QString& titleBanner(); // 208 characters
const QString& tipBanner();   // 116 characters

// Characters position .. position+29 of the banner (1-based), cut short where
// the banner ends, empty past its end or before its start.
QString slice(const QString& banner, qint64 position);

struct TickOutput
{
    std::optional<QString> caption; // nothing: leave the caption alone
    QString tip;
};

// One tick: raise the position, stop the caption once the title banner has
// run out (two past its end), and give the caption and tip to show.
TickOutput tick(MarqueeState& state);

} // namespace Marquee
