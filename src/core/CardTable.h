#pragma once

#include "core/StoreKeys.h"

#include <QString>
#include <array>
#include <vector>

// One card: its controls (as named in the design), its place in the tab order,
// its store keys and its default title. A card is addressed by its tab index,
// which is its row in kCards.
struct CardDefinition
{
    const char* contentBox;
    const char* panel;
    const char* titleBox;
    const char* okButton;
    const char* cancelButton;
    const char* printButton;
    // Where the Tab key reaches each control, across the whole window (the
    // tab row is 0; the panels themselves take no focus).
    struct TabOrder
    {
        int content, title, ok, cancel, print;
    } tabOrder;
    QString contentKey;
    QString titleKey;
    QString defaultTitle;
};

// Every card of the window, in tab order. The button numbers do not run in
// card order: card 2's "Abbruch" is Command3, card 3's Command5.
inline const auto kCards = std::to_array<CardDefinition>({
    {"Text1", "Frame1", "Text2", "Command1", "Command2", "Command9", {1, 3, 4, 5, 18}, StoreKeys::content1,
     StoreKeys::title1, QStringLiteral("Karte #1")},
    {"Text3", "Frame2", "Text5", "Command4", "Command3", "Command8", {6, 11, 10, 9, 17}, StoreKeys::content2,
     StoreKeys::title2, QStringLiteral("Karte #2")},
    {"Text4", "Frame3", "Text6", "Command6", "Command5", "Command7", {7, 15, 14, 13, 16}, StoreKeys::content3,
     StoreKeys::title3, QStringLiteral("Karte #3")},
});

inline constexpr int kCardCount = int(std::tuple_size_v<decltype(kCards)>);

// How messages and lists name a card, whatever its title: "Karte 2".
inline QString cardName(int card)
{
    return QStringLiteral("Karte %1").arg(card + 1);
}

// One text box of a card: its content box or its title box.
struct CardText
{
    int card;
    bool isTitle;
};

// The cards' text boxes in the order of their keys in the store, the order in
// which the window is filled from it.
inline std::vector<CardText> cardTextsInStoreOrder()
{
    std::vector<CardText> texts;
    for (const QString& key : StoreKeys::cardTexts) {
        for (int card = 0; card < kCardCount; ++card) {
            if (kCards[card].contentKey == key || kCards[card].titleKey == key)
                texts.push_back({card, kCards[card].titleKey == key});
        }
    }
    return texts;
}
