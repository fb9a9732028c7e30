#pragma once

#include <QString>

// How an AT-SPI element reads as "AXRole" and "AXSubrole". Pure, so the
// mapping is tested without a browser.
struct AtspiRoleFacts {
    int atspiRole = 0;      // an AtspiRole value
    bool multiLine = false; // the MULTI_LINE state
    bool editable = false;  // the EDITABLE state
    bool hasPopup = false;  // the HAS_POPUP state
    QString xmlRoles;       // the "xml-roles" object attribute (may list several)
    QString textInputType;  // the "text-input-type" object attribute (Chromium)
};

struct AtspiMappedRole {
    QString role;
    QString subrole; // empty: none
};

AtspiMappedRole mapAtspiRole(const AtspiRoleFacts& facts);

// Whether the role's subrole depends on the element's states or attributes,
// so mapping it costs more than the role alone.
bool atspiRoleNeedsStates(int atspiRole);
bool atspiRoleNeedsAttributes(int atspiRole);
