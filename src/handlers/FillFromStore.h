#pragma once

#include "core/HandlerSteps.h"

#include <QString>
#include <vector>

struct HandlerContext;

// Filling the window from the store: the steps the load step, activation and
// restore from the tray share. Each step reads one key and sets one thing,
// so each reader runs them with its own failure style.
namespace FillFromStore {

// What a title box gets when its key is missing from the store: the load
// step and activation give the card's default title, restore an empty box.
enum class MissingTitle { CardDefault, Empty };

// The window's size when the store holds none, for every reader. Activation
// and restore once used 10 twips, which shrank the window to nothing the first
// time a user opened it with an empty store.
inline const QString defaultWidth = QStringLiteral("5000");
inline const QString defaultHeight = QStringLiteral("2000");

// The content and title boxes, one step each, in the order of their keys in
// the store. A content box holding typing that has not landed yet keeps it;
// a note that stays unread is told about.
std::vector<HandlerSteps::Step> boxes(HandlerContext& ctx, MissingTitle missingTitle);
// Each tab's caption from its card's title box.
std::vector<HandlerSteps::Step> captions(HandlerContext& ctx);
// The four geometry steps (left, top, width, height), each read and applied on
// its own, then bringing a window that is wholly off screen back.
std::vector<HandlerSteps::Step> geometry(HandlerContext& ctx);

} // namespace FillFromStore
