#pragma once

#include <QList>
#include <QRect>

// What the chat blur covers, in screen pixels with the origin at the top-left
// of the primary screen (as X11 and the accessibility frames give them; no
// coordinate is flipped anywhere on the way to the panels).
struct ChatCover {
    // One rectangle per visible chat title.
    QList<QRect> rows;
    // One per run of chat links, shown while the user scrolls: the list's
    // full visible width over that run's visible rows, the first reaching
    // up to the list's top, each reaching down to the next, the last down
    // to the list's bottom.
    QList<QRect> blocks;

    bool isEmpty() const { return rows.isEmpty(); }
    friend bool operator==(const ChatCover&, const ChatCover&) = default;
};
