#pragma once

#include "core/StoreKeys.h"

#include <QString>
#include <array>

// Which control and which store key belongs to which card. The button numbers
// do not run in card order: card 2's "Abbruch" is Command3, card 3's Command5.
struct CardDefinition
{
    int tabIndex;
    const char* contentBox;
    const char* panel;
    const char* titleBox;
    const char* okButton;
    const char* cancelButton;
    const char* printButton;
    QString contentKey;
    QString titleKey;
    QString defaultTitle;
};

inline const std::array<CardDefinition, 3> kCards{{
    {0, "Text1", "Frame1", "Text2", "Command1", "Command2", "Command9", StoreKeys::content1,
     StoreKeys::title1, QStringLiteral("Karte #1")},
    {1, "Text3", "Frame2", "Text5", "Command4", "Command3", "Command8", StoreKeys::content2,
     StoreKeys::title2, QStringLiteral("Karte #2")},
    {2, "Text4", "Frame3", "Text6", "Command6", "Command5", "Command7", StoreKeys::content3,
     StoreKeys::title3, QStringLiteral("Karte #3")},
}};
