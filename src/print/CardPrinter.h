#pragma once

#include <QString>
#include <memory>

class QFont;
class QPaintDevice;
class QPainter;
class QSizeF;
class QTextDocument;

// Prints one card's text as one job. Throws StepFailure when the job cannot
// be handed to the print system, so that the caller's panel stays open.
class CardPrinter
{
public:
    virtual ~CardPrinter() = default;
    virtual void print(const QString& text) = 0;
};

// The system's default printer (through CUPS on Linux). No dialog, no title,
// no header: the card's text in the platform's default font, black on white,
// long lines wrapped at the page width, as many pages as it takes.
class DefaultPrinter final : public CardPrinter
{
public:
    void print(const QString& text) override;

    // The text laid out for pages of the given size in the device's pixels,
    // measured with the device's resolution; every kind of line break (CRLF,
    // lone CR, lone LF) starts a new line.
    static std::unique_ptr<QTextDocument> layout(const QString& text, const QFont& font, QPaintDevice* device,
                                                 const QSizeF& pageSize);
    // Draws one page (from 0) of a laid-out text, in black whatever the
    // desktop's colours.
    static void drawPage(QPainter& painter, QTextDocument& document, int page);
};
