#pragma once

#include "platform/Accessibility.h"

#include <QHash>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>

// A substitute accessibility tree for unit tests of the engines, built from a
// compact indented description, one element a line:
//
//   AXApplication pid=42 title="Chromium"
//     AXWindow title="Sign up" focusedWindow
//       AXWebArea url="http://example.test/"
//         AXStaticText value="Work email"
//         AXTextField id=email placeholder="you@example.com" value="" focused
//
// The first word is the role; then key=value pairs (values in double quotes
// may hold spaces; \" and \\ escape) and bare flags:
//   sub, value, title, desc, placeholder, id, url   the text attributes
//   frame=x,y,w,h                                   "AXFrame"
//   label=ID       "AXTitleUIElement" is the element whose id is ID
//   parent=ID      "AXParent" answers that element (a broken tree)
//   focused        the application's "AXFocusedUIElement"
//   focusedWindow  the application's "AXFocusedWindow"
//   refusesValue   setting "AXValue" fails (as in Chromium)
//   ignoresValue   setting "AXValue" succeeds but changes nothing (as in Firefox)
// Every read is counted, so tests can hold the engines to their budgets.
class MemoryAccessibility final : public Accessibility {
public:
    MemoryAccessibility();
    ~MemoryAccessibility() override;

    bool isReachable() override { return reachable; }
    bool isEnabled() override { return reachable && enabled; }
    bool enable() override {
        enableRequests++;
        enabled = enabled || enableSwitchesOn;
        return enabled;
    }
    AXElement application(qint64 pid) override;
    // Listeners run on the thread that calls focus().
    int addFocusListener(std::function<void()> moved) override;
    void removeFocusListener(int id) override;

    // Adds an application's tree; answers its application element. Lines
    // that cannot be read are reported in errors() and left out.
    AXElement load(QStringView description);
    QStringList errors() const;

    // The element whose id (the "id" key) is this; null when none.
    AXElement byId(const QString& id) const;
    // Moves the keyboard focus of the element's application and tells the
    // focus listeners, as an application's focus event would.
    void focus(const AXElement& element);
    // Takes the element and its descendants out of the tree: every handle on
    // them then reads as absent, as when a page changes under a reader.
    void remove(const AXElement& element);
    // Sets a text attribute as the application would (the user typing, say).
    void setString(const AXElement& element, const QString& key, const QString& text);

    // Reads since the last reset: in all, and by attribute name.
    int reads() const;
    int reads(QStringView attribute) const;
    void resetCounts();

    bool reachable = true;
    bool enabled = true;
    bool enableSwitchesOn = true;
    int enableRequests = 0;

    struct Node;
    struct Tree;

private:
    std::shared_ptr<Tree> tree;
};
