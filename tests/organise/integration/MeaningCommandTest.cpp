#include "support/TovikProcess.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The command finds the model shipped with Tovik and sorts a note that no
// site, shape or keyword rule places by its meaning.
TEST(TovikCategorizeMeaning, PlacesANoteByItsMeaning) {
    const TovikRun run = runTovik(
        {u"categorize"_s, u"--title"_s,
         u"Reflections on staying consistent with habits and keeping focus during hard weeks"_s});
    EXPECT_EQ(run.exitStatus, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Mindset\n");

    // Too few words for the meaning step: no category.
    const TovikRun shortNote = runTovik({u"categorize"_s, u"--title"_s, u"habits and focus"_s});
    EXPECT_EQ(shortNote.exitStatus, 0);
    EXPECT_EQ(shortNote.out, "");
}
