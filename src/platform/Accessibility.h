#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

// The accessibility tree of other applications, as the autofill and chat-blur
// engines see it: elements with named attributes ("AXRole", "AXValue", …).
// The Linux implementation reads AT-SPI 2; unit tests use a substitute tree.
//
// Reads never throw and never block for long: every call to another
// application is bounded by a time-out (AXElement::kMessagingTimeoutMs), and a
// failed read, a vanished element or an application that exited all read as
// "absent".
//
// Threading: elements may be read from any thread; implementations serialise
// the calls they make to other processes.

namespace AX {
// Attributes read by the engines.
inline constexpr QStringView role = u"AXRole";
inline constexpr QStringView subrole = u"AXSubrole";
inline constexpr QStringView value = u"AXValue";
inline constexpr QStringView title = u"AXTitle";
inline constexpr QStringView description = u"AXDescription";
inline constexpr QStringView placeholderValue = u"AXPlaceholderValue";
inline constexpr QStringView titleUIElement = u"AXTitleUIElement";
inline constexpr QStringView parent = u"AXParent";
inline constexpr QStringView children = u"AXChildren";
inline constexpr QStringView domIdentifier = u"AXDOMIdentifier";
inline constexpr QStringView focusedUIElement = u"AXFocusedUIElement";
inline constexpr QStringView focusedWindow = u"AXFocusedWindow";
inline constexpr QStringView url = u"AXURL";
inline constexpr QStringView frame = u"AXFrame";
// Written once to an application so that a browser builds its tree.
inline constexpr QStringView enhancedUserInterface = u"AXEnhancedUserInterface";

// Roles and subroles the engines compare against.
inline constexpr QStringView textFieldRole = u"AXTextField";
inline constexpr QStringView textAreaRole = u"AXTextArea";
inline constexpr QStringView secureTextFieldSubrole = u"AXSecureTextField";
inline constexpr QStringView searchFieldSubrole = u"AXSearchField";
inline constexpr QStringView webAreaRole = u"AXWebArea";
inline constexpr QStringView windowRole = u"AXWindow";
inline constexpr QStringView applicationRole = u"AXApplication";
inline constexpr QStringView staticTextRole = u"AXStaticText";
inline constexpr QStringView linkRole = u"AXLink";
inline constexpr QStringView groupRole = u"AXGroup";
inline constexpr QStringView buttonRole = u"AXButton";
inline constexpr QStringView imageRole = u"AXImage";
inline constexpr QStringView checkBoxRole = u"AXCheckBox";
inline constexpr QStringView radioButtonRole = u"AXRadioButton";
inline constexpr QStringView popUpButtonRole = u"AXPopUpButton";
inline constexpr QStringView comboBoxRole = u"AXComboBox";
inline constexpr QStringView menuButtonRole = u"AXMenuButton";
inline constexpr QStringView landmarkNavigation = u"AXLandmarkNavigation";
inline constexpr QStringView landmarkMain = u"AXLandmarkMain";
inline constexpr QStringView landmarkComplementary = u"AXLandmarkComplementary";
} // namespace AX

class AXNode;
class AXElement;

// What one attribute read gives: nothing, a text, a truth value, an element, a
// list of elements, or a frame (screen pixels, origin top-left, y down).
using AXValue = std::variant<std::monostate, QString, bool, AXElement, QList<AXElement>, QRect>;

// A handle on one element of another application's tree. Copies refer to the
// same element; a default-constructed handle is "no element".
class AXElement {
public:
    // Every call into another application gives up after this long.
    static constexpr int kMessagingTimeoutMs = 250;

    AXElement() = default;
    explicit AXElement(std::shared_ptr<AXNode> node) : node(std::move(node)) {}

    bool isNull() const { return !node; }
    explicit operator bool() const { return bool(node); }

    AXValue read(QStringView attribute) const;
    // A text attribute; absent when unreadable or not a text.
    std::optional<QString> string(QStringView attribute) const;
    // An element attribute ("AXParent", "AXTitleUIElement", …); null when absent.
    AXElement element(QStringView attribute) const;
    // "AXChildren"; absent when the read failed.
    std::optional<QList<AXElement>> children() const;
    // "AXFrame".
    std::optional<QRect> frame() const;

    // Sets "AXValue" (or another settable attribute); false when the
    // application refused or did not answer.
    bool setString(QStringView attribute, const QString& text) const;
    bool setBool(QStringView attribute, bool on) const;

    // Identity: the same element of the same application.
    friend bool operator==(const AXElement& a, const AXElement& b);
    std::size_t hash() const;

    const AXNode* get() const { return node.get(); }

private:
    std::shared_ptr<AXNode> node;
};

// One element as an implementation provides it.
class AXNode {
public:
    virtual ~AXNode() = default;
    virtual AXValue read(QStringView attribute) const = 0;
    virtual bool write(QStringView attribute, const std::variant<QString, bool>& value) = 0;
    virtual bool sameAs(const AXNode& other) const = 0;
    virtual std::size_t identityHash() const = 0;
};

// The accessibility service of the desktop.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Whether the accessibility bus can be reached at all.
    virtual bool isReachable() = 0;
    // Whether accessibility is switched on for the session, so applications
    // build their trees.
    virtual bool isEnabled() = 0;
    // Switches accessibility on for the session (never the screen reader) and
    // answers whether it is on afterwards.
    virtual bool enable() = 0;
    // The element of the application with this process id; null when the
    // application has no accessible tree (or none yet).
    virtual AXElement application(qint64 pid) = 0;
    // From now on "AXFocusedUIElement" may follow the applications' focus
    // events instead of searching (a long-running poller asks for this).
    virtual void followFocusEvents() {}
    // Calls `moved` each time an application reports that its keyboard focus
    // moved to an element, after "AXFocusedUIElement" names that element, so
    // a poller can look at once instead of at its next turn. `moved` may run
    // on any thread and must return quickly. Answers an id for
    // removeFocusListener, or 0 when this implementation reports no moves
    // (polling is then the only way to notice them).
    virtual int addFocusListener(std::function<void()> moved) {
        (void)moved;
        return 0;
    }
    // Once this returns, the listener is neither running nor called again.
    virtual void removeFocusListener(int id) { (void)id; }
};
