// What the E-mail button says when the hand-off fails: one box, the model's
// reason as its text, over the same fake mail programs as the model's tests.
#include "handoff_fixture.h"
#include "mail_handoff.h"
#include "mail_handoff_boxes.h"
#include "message_box.h"

#include <gtest/gtest.h>

using namespace mail_handoff;

TEST_F(HandOff, NoMailProgramIsSaidAndNothingStarts)
{
    // xdg-email alone has no mailto handler to give the file to.
    const QString xdgEmail = fakeOnPath("xdg-email");
    ASSERT_TRUE(defaultHandlerId().isEmpty());

    MessageBoxScript boxes;
    EXPECT_FALSE(handOffWithMessages(package_, nullptr));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, QStringLiteral("You have not installed any Email AP."));
    EXPECT_EQ(boxes.calls()[0].caption, QStringLiteral("Snapp'It"));
    EXPECT_EQ(boxes.calls()[0].flags, mb::Ok | mb::IconExclamation);
    EXPECT_FALSE(argumentsOf(xdgEmail, 300));
}

TEST_F(HandOff, AHandlerThatCannotStartIsReportedByName)
{
    // Found and executable, but its interpreter is missing, so exec fails.
    const QString broken = path("bin/thunderbird");
    writeFile(broken, "#!/nonexistent/interpreter\n", true);
    registerHandler(QStringLiteral("thunderbird.desktop"), QStringLiteral("thunderbird %u"),
                    QStringLiteral("Thunderbird Mail"));

    MessageBoxScript boxes;
    EXPECT_FALSE(handOffWithMessages(package_, nullptr));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, QStringLiteral("Failed to load Thunderbird!"));
}
