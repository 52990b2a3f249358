#include "core/Marquee.h"

namespace Marquee {

namespace {

const QString maker = QStringLiteral("MIR-TAL GmbH");
const QString visitUs = QStringLiteral("Besuchen Sie uns im Internet");

QString blanks(int count)
{
    return QString(count, QLatin1Char(' '));
}

} // namespace

const QString& titleBanner()
{
    static const QString banner = blanks(43) + designCaption + blanks(22) + maker + blanks(16) + visitUs +
                                  blanks(17) + webAddress + blanks(1);
    return banner;
}

const QString& tipBanner()
{
    static const QString banner = blanks(1) + designCaption + blanks(1) + maker + blanks(2) + visitUs +
                                  blanks(2) + webAddress + blanks(1);
    return banner;
}

QString slice(const QString& banner, qint64 position)
{
    if (position < 1 || position > banner.size())
        return {};
    return banner.mid(qsizetype(position - 1), sliceWidth);
}

TickOutput tick(MarqueeState& state)
{
    ++state.position;
    if (titleBanner().size() == state.position - 2)
        state.stopFlag = 1;
    TickOutput out;
    if (state.stopFlag == 0)
        out.caption = captionHead + slice(titleBanner(), state.position);
    out.tip = slice(tipBanner(), state.position);
    return out;
}

} // namespace Marquee
