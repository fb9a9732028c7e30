// How AT-SPI roles and Linux processes read as the engines' names.
#include "platform/ApplicationId.h"
#include "platform/linux/AtspiRoles.h"

#include <atspi/atspi-constants.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(AtspiRoles, MapToTheEnginesRolesAndSubroles) {
    struct Case {
        const char* name;
        AtspiRoleFacts facts;
        QString role;
        QString subrole;
    };
    const Case cases[] = {
        {"text input", {ATSPI_ROLE_ENTRY, false, true, false, {}, u"text"_s}, u"AXTextField"_s, {}},
        {"e-mail input",
         {ATSPI_ROLE_ENTRY, false, true, false, {}, u"email"_s},
         u"AXTextField"_s,
         {}},
        {"password",
         {ATSPI_ROLE_PASSWORD_TEXT, false, true, false, {}, {}},
         u"AXTextField"_s,
         u"AXSecureTextField"_s},
        {"search by input type",
         {ATSPI_ROLE_ENTRY, false, true, false, {}, u"search"_s},
         u"AXTextField"_s,
         u"AXSearchField"_s},
        {"search by ARIA role",
         {ATSPI_ROLE_ENTRY, false, true, false, u"searchbox"_s, {}},
         u"AXTextField"_s,
         u"AXSearchField"_s},
        {"textarea", {ATSPI_ROLE_ENTRY, true, true, false, {}, {}}, u"AXTextArea"_s, {}},
        {"multi-line text", {ATSPI_ROLE_TEXT, true, true, false, {}, {}}, u"AXTextArea"_s, {}},
        {"read-only text", {ATSPI_ROLE_TEXT, false, false, false, {}, {}}, u"AXStaticText"_s, {}},
        {"static text", {ATSPI_ROLE_STATIC, false, false, false, {}, {}}, u"AXStaticText"_s, {}},
        {"web page", {ATSPI_ROLE_DOCUMENT_WEB, false, false, false, {}, {}}, u"AXWebArea"_s, {}},
        {"frame", {ATSPI_ROLE_FRAME, false, false, false, {}, {}}, u"AXWindow"_s, {}},
        {"application",
         {ATSPI_ROLE_APPLICATION, false, false, false, {}, {}},
         u"AXApplication"_s,
         {}},
        {"link", {ATSPI_ROLE_LINK, false, false, false, {}, {}}, u"AXLink"_s, {}},
        {"button", {ATSPI_ROLE_PUSH_BUTTON, false, false, false, {}, {}}, u"AXButton"_s, {}},
        {"button with a pop-up",
         {ATSPI_ROLE_PUSH_BUTTON, false, false, true, {}, {}},
         u"AXPopUpButton"_s,
         {}},
        {"select", {ATSPI_ROLE_COMBO_BOX, false, false, false, {}, {}}, u"AXComboBox"_s, {}},
        {"menu button",
         {ATSPI_ROLE_PUSH_BUTTON_MENU, false, false, false, {}, {}},
         u"AXMenuButton"_s,
         {}},
        {"image", {ATSPI_ROLE_IMAGE, false, false, false, {}, {}}, u"AXImage"_s, {}},
        {"check box", {ATSPI_ROLE_CHECK_BOX, false, false, false, {}, {}}, u"AXCheckBox"_s, {}},
        {"radio", {ATSPI_ROLE_RADIO_BUTTON, false, false, false, {}, {}}, u"AXRadioButton"_s, {}},
        {"nav landmark",
         {ATSPI_ROLE_LANDMARK, false, false, false, u"navigation"_s, {}},
         u"AXGroup"_s,
         u"AXLandmarkNavigation"_s},
        {"main landmark",
         {ATSPI_ROLE_LANDMARK, false, false, false, u"main"_s, {}},
         u"AXGroup"_s,
         u"AXLandmarkMain"_s},
        {"aside as a section",
         {ATSPI_ROLE_SECTION, false, false, false, u"complementary"_s, {}},
         u"AXGroup"_s,
         u"AXLandmarkComplementary"_s},
        {"plain section", {ATSPI_ROLE_SECTION, false, false, false, {}, {}}, u"AXGroup"_s, {}},
        {"label element", {ATSPI_ROLE_LABEL, false, false, false, {}, {}}, u"AXGroup"_s, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AtspiMappedRole mapped = mapAtspiRole(c.facts);
        EXPECT_EQ(mapped.role.toStdString(), c.role.toStdString());
        EXPECT_EQ(mapped.subrole.toStdString(), c.subrole.toStdString());
    }
}

TEST(ApplicationIdentifiers, FromTheProcessAsBrowsersInstallThemselves) {
    struct Case {
        QStringList names;
        QString flatpak;
        QString id;
    };
    const Case cases[] = {
        {{u"chromium"_s}, {}, u"org.chromium.Chromium"_s},
        {{u"/usr/lib/chromium/chromium"_s, u"chromium"_s}, {}, u"org.chromium.Chromium"_s},
        {{u"chrome"_s, u"google-chrome-stable"_s}, {}, u"com.google.Chrome"_s},
        {{u"firefox-esr"_s}, {}, u"org.mozilla.firefox"_s},
        {{u"firefox"_s}, {}, u"org.mozilla.firefox"_s},
        {{u"brave"_s}, {}, u"com.brave.Browser"_s},
        {{u"msedge"_s, u"microsoft-edge"_s}, {}, u"com.microsoft.edgemac"_s},
        {{u"vivaldi-bin"_s}, {}, u"com.vivaldi.Vivaldi"_s},
        {{u"opera"_s}, {}, u"com.operasoftware.Opera"_s},
        {{u"bwrap"_s, u"chrome"_s}, u"com.google.Chrome"_s, u"com.google.Chrome"_s},
        {{u"gedit"_s}, {}, u"gedit"_s},
        {{u"chromium-ish"_s}, {}, u"chromium-ish"_s},
        {{}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names.join(u',').toStdString());
        EXPECT_EQ(ApplicationId::fromProcess(c.names, c.flatpak).toStdString(), c.id.toStdString());
    }
    EXPECT_EQ(ApplicationId::flatpakIdFromInfo(
                  "[Instance]\nname=not.this\n[Application]\nname=org.mozilla.firefox\n"
                  "runtime=runtime/org.freedesktop.Platform\n"),
              u"org.mozilla.firefox"_s);
    EXPECT_EQ(ApplicationId::flatpakIdFromInfo("garbage\0\xff"), QString());
}
