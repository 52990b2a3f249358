#include "print/CardPrinter.h"
#include "core/LineBreaks.h"

#include "core/StepFailure.h"
#include "print/PrintQueue.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <QTextOption>

namespace {

[[noreturn]] void fail(const QString& printerName, const QString& why)
{
    if (printerName.isEmpty())
        throw StepFailure(QStringLiteral("Drucken fehlgeschlagen: %1.").arg(why));
    throw StepFailure(
        QStringLiteral("Drucken fehlgeschlagen: Der Drucker \u201E%1\u201C %2.").arg(printerName, why));
}

} // namespace

std::unique_ptr<QTextDocument> DefaultPrinter::layout(const QString& text, const QFont& font,
                                                      QPaintDevice* device, const QSizeF& pageSize)
{
    auto document = std::make_unique<QTextDocument>();
    // Measured on the screen, a point-sized font on a 1200 dpi page would come
    // out a tenth of its size.
    if (device)
        document->documentLayout()->setPaintDevice(device);
    document->setDocumentMargin(0);
    document->setDefaultFont(font);
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document->setDefaultTextOption(option);
    document->setPlainText(LineBreaks::forDisplay(text));
    document->setPageSize(pageSize);
    return document;
}

void DefaultPrinter::drawPage(QPainter& painter, QTextDocument& document, int page)
{
    const QSizeF size = document.pageSize();
    const QRectF clip(0, page * size.height(), size.width(), size.height());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    context.clip = clip;
    painter.save();
    painter.translate(0, -clip.top());
    painter.setClipRect(clip);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

void DefaultPrinter::print(const QString& text)
{
    // Without a valid printer QPrinter quietly turns into a PDF writer with
    // no file, and the print would be lost without a word.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        fail(QString(), QStringLiteral("Es ist kein Standarddrucker eingerichtet"));
    const QString name = info.printerName();
    if (info.state() == QPrinter::Error)
        fail(name, QStringLiteral("ist angehalten"));
    if (auto why = PrintQueue::refusal(name))
        fail(name, *why);

    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid() || printer.outputFormat() != QPrinter::NativeFormat)
        fail(name, QStringLiteral("ist nicht erreichbar"));
    printer.setDocName(QStringLiteral("Pindel"));
    printer.setFullPage(false);

    QPainter painter;
    if (!painter.begin(&printer))
        fail(name, QStringLiteral("nimmt keinen Auftrag an"));

    const QSizeF page = printer.pageRect(QPrinter::DevicePixel).size();
    auto document = layout(text, QGuiApplication::font(), &printer, page);

    const int pages = std::max(1, document->pageCount());
    bool ok = true;
    for (int i = 0; i < pages && ok; ++i) {
        if (i > 0)
            ok = printer.newPage();
        if (ok)
            drawPage(painter, *document, i);
    }
    if (!ok)
        printer.abort();
    ok = painter.end() && ok;
    if (!ok || printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        fail(name, QStringLiteral("hat den Auftrag nicht angenommen"));
    if (auto why = PrintQueue::handOverFailure())
        fail(name, QStringLiteral("hat den Auftrag nicht angenommen (%1)").arg(*why));
}
