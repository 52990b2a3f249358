#include "cards/CardPrinter.h"

#include "app/StepFailure.h"
#include "window/ContentBox.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <QTextOption>

std::unique_ptr<QTextDocument> DefaultPrinter::layout(const QString& text, const QFont& font, const QSizeF& pageSize)
{
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(0);
    document->setDefaultFont(font);
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document->setDefaultTextOption(option);
    document->setPlainText(ContentBox::forDisplay(text));
    document->setPageSize(pageSize);
    return document;
}

void DefaultPrinter::print(const QString& text)
{
    // Without a valid printer QPrinter quietly turns into a PDF writer with
    // no file, and the print would be lost without a word.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw StepFailure(QStringLiteral("Drucken fehlgeschlagen: Es ist kein Standarddrucker eingerichtet."));
    if (info.state() == QPrinter::Error)
        throw StepFailure(
            QStringLiteral("Drucken fehlgeschlagen: Der Drucker \u201E%1\u201C ist nicht bereit.").arg(info.printerName()));

    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Pindel"));
    printer.setFullPage(false);

    QPainter painter;
    if (!painter.begin(&printer))
        throw StepFailure(
            QStringLiteral("Drucken fehlgeschlagen: Der Drucker \u201E%1\u201C nimmt keinen Auftrag an.").arg(info.printerName()));

    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    QFont font = QGuiApplication::font();
    auto document = layout(text, QFont(font, &printer), page.size());

    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black); // whatever the desktop's colours
    const int pages = std::max(1, document->pageCount());
    bool ok = true;
    for (int i = 0; i < pages && ok; ++i) {
        if (i > 0)
            ok = printer.newPage();
        painter.save();
        const QRectF clip(0, i * page.height(), page.width(), page.height());
        painter.translate(0, -clip.top());
        painter.setClipRect(clip);
        context.clip = clip;
        document->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    ok = painter.end() && ok;
    if (!ok || printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        throw StepFailure(
            QStringLiteral("Drucken fehlgeschlagen: Der Auftrag an \u201E%1\u201C wurde nicht angenommen.").arg(info.printerName()));
}
