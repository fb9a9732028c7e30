#include "platform/linux/AtspiRoles.h"

#include "platform/Accessibility.h"

#include <QStringList>
#include <atspi/atspi-constants.h>

using namespace Qt::StringLiterals;

namespace {
bool xmlRolesHave(const QString& xmlRoles, QStringView role) {
    for (QStringView word : QStringView(xmlRoles).split(u' ', Qt::SkipEmptyParts)) {
        if (word == role)
            return true;
    }
    return false;
}

QString landmark(const QString& xmlRoles) {
    if (xmlRolesHave(xmlRoles, u"navigation"))
        return AX::landmarkNavigation.toString();
    if (xmlRolesHave(xmlRoles, u"main"))
        return AX::landmarkMain.toString();
    if (xmlRolesHave(xmlRoles, u"complementary"))
        return AX::landmarkComplementary.toString();
    return {};
}
} // namespace

AtspiMappedRole mapAtspiRole(const AtspiRoleFacts& f) {
    switch (f.atspiRole) {
    case ATSPI_ROLE_ENTRY:
    case ATSPI_ROLE_TEXT:
        if (f.multiLine)
            return {AX::textAreaRole.toString(), {}};
        if (f.atspiRole == ATSPI_ROLE_TEXT && !f.editable)
            return {AX::staticTextRole.toString(), {}};
        if (xmlRolesHave(f.xmlRoles, u"searchbox") || f.textInputType == "search"_L1)
            return {AX::textFieldRole.toString(), AX::searchFieldSubrole.toString()};
        return {AX::textFieldRole.toString(), {}};
    case ATSPI_ROLE_PASSWORD_TEXT:
        return {AX::textFieldRole.toString(), AX::secureTextFieldSubrole.toString()};
    case ATSPI_ROLE_DOCUMENT_WEB:
        return {AX::webAreaRole.toString(), {}};
    case ATSPI_ROLE_FRAME:
    case ATSPI_ROLE_WINDOW:
    case ATSPI_ROLE_DIALOG:
        return {AX::windowRole.toString(), {}};
    case ATSPI_ROLE_APPLICATION:
        return {AX::applicationRole.toString(), {}};
    case ATSPI_ROLE_STATIC:
        return {AX::staticTextRole.toString(), {}};
    case ATSPI_ROLE_LINK:
        return {AX::linkRole.toString(), {}};
    case ATSPI_ROLE_PUSH_BUTTON:
    case ATSPI_ROLE_TOGGLE_BUTTON:
        if (f.hasPopup)
            return {AX::popUpButtonRole.toString(), {}};
        return {AX::buttonRole.toString(), {}};
    case ATSPI_ROLE_PUSH_BUTTON_MENU:
        return {AX::menuButtonRole.toString(), {}};
    case ATSPI_ROLE_COMBO_BOX:
        return {AX::comboBoxRole.toString(), {}};
    case ATSPI_ROLE_IMAGE:
        return {AX::imageRole.toString(), {}};
    case ATSPI_ROLE_CHECK_BOX:
        return {AX::checkBoxRole.toString(), {}};
    case ATSPI_ROLE_RADIO_BUTTON:
        return {AX::radioButtonRole.toString(), {}};
    case ATSPI_ROLE_LIST:
        return {u"AXList"_s, {}};
    case ATSPI_ROLE_HEADING:
        return {u"AXHeading"_s, {}};
    default:
        // Containers (sections, landmarks, list items, labels, paragraphs)
        // read as groups, landmarks with their kind as the subrole.
        return {AX::groupRole.toString(), landmark(f.xmlRoles)};
    }
}

bool atspiRoleNeedsStates(int role) {
    return role == ATSPI_ROLE_ENTRY || role == ATSPI_ROLE_TEXT || role == ATSPI_ROLE_PUSH_BUTTON ||
           role == ATSPI_ROLE_TOGGLE_BUTTON;
}

bool atspiRoleNeedsAttributes(int role) {
    switch (role) {
    case ATSPI_ROLE_ENTRY:
    case ATSPI_ROLE_TEXT:
    case ATSPI_ROLE_PASSWORD_TEXT:
    case ATSPI_ROLE_DOCUMENT_WEB:
    case ATSPI_ROLE_FRAME:
    case ATSPI_ROLE_WINDOW:
    case ATSPI_ROLE_DIALOG:
    case ATSPI_ROLE_APPLICATION:
    case ATSPI_ROLE_STATIC:
    case ATSPI_ROLE_LINK:
    case ATSPI_ROLE_PUSH_BUTTON:
    case ATSPI_ROLE_TOGGLE_BUTTON:
    case ATSPI_ROLE_PUSH_BUTTON_MENU:
    case ATSPI_ROLE_COMBO_BOX:
    case ATSPI_ROLE_IMAGE:
    case ATSPI_ROLE_CHECK_BOX:
    case ATSPI_ROLE_RADIO_BUTTON:
    case ATSPI_ROLE_LIST:
    case ATSPI_ROLE_HEADING:
        return role == ATSPI_ROLE_ENTRY || role == ATSPI_ROLE_TEXT;
    default:
        return true; // a container may be a landmark
    }
}
