#pragma once

#include <QList>
#include <QRect>

// What the chat blur covers, in screen pixels with the origin at the top-left
// of the primary screen (as X11 and the accessibility frames give them; no
// coordinate is flipped anywhere on the way to the panels).
struct ChatCover {
    // One rectangle per visible chat title.
    QList<QRect> rows;
    // One per run of chat links: the list's full visible width over all of
    // that run's visible rows, shown while the user scrolls.
    QList<QRect> blocks;

    bool isEmpty() const { return rows.isEmpty(); }
    friend bool operator==(const ChatCover&, const ChatCover&) = default;
};
