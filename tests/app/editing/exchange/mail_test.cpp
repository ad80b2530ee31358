#include <map>

#include "core/core_ids.h"
#include "editing/exchange/exchange_ids.h"
#include "editing/exchange/installer_hunk.h"
#include "editing/exchange/mail.h"
#include "exchange_fixture.h"
#include "test_support.h"

namespace {

// The stand-in MAPI library writes each message it is given into a file.
class Mail : public NoteTableTest {
protected:
    ScopedTempFolder folder;
    std::string record;
    void SetUp() override
    {
        NoteTableTest::SetUp();
        record = folder.Path() + "\\message.txt";
        SetEnvironmentVariableA("ZT_MAPI_RECORD", record.c_str());
        SetEnvironmentVariableA("ZT_MAPI_LOGON_RESULT", nullptr);
        SetEnvironmentVariableA("ZT_MAPI_SEND_RESULT", nullptr);
        ASSERT_EQ(MailInit(), 0);
    }
    void TearDown() override
    {
        MailShutdown();
        NoteTableTest::TearDown();
    }
    std::map<std::string, std::string> Sent()
    {
        std::map<std::string, std::string> fields;
        std::string bytes = ReadFileBytes(record);
        size_t at = 0;
        while (at < bytes.size()) {
            size_t eq = bytes.find('=', at);
            if (eq == std::string::npos)
                break;
            std::string key = bytes.substr(at, eq - at);
            if (key == "text") {
                fields[key] = bytes.substr(eq + 1);
                break;
            }
            size_t end = bytes.find('\n', eq);
            fields[key] = bytes.substr(eq + 1, end - eq - 1);
            at = end + 1;
        }
        return fields;
    }
};

} // namespace

TEST_F(Mail, PlainTextMailHasTitledBodyAndNoAttachment)
{
    int slot = NewNote("Hello", "the body");
    ASSERT_EQ(MailZettly(slot, MAIL_PLAIN_TEXT), 0);
    auto sent = Sent();
    EXPECT_EQ(sent["subject"], "Hello");
    EXPECT_EQ(sent["text"], "Hello\r\n-----\r\nthe body");
    EXPECT_EQ(sent["flags"], "3");
    EXPECT_EQ(sent["sendflags"], "8") << "the user completes the mail in the dialog";
    EXPECT_EQ(sent["recipients"], "0");
    EXPECT_EQ(sent["files"], "0");

    int untitled = NewNote("", "just text");
    ASSERT_EQ(MailZettly(untitled, MAIL_PLAIN_TEXT), 0);
    EXPECT_EQ(Sent()["text"], "just text");
}

TEST_F(Mail, ExpAttachmentIsNamedFromTheTitleAndOutlivesTheSendCall)
{
    int slot = NewNote("a/b:c", "attached");
    ASSERT_EQ(MailZettly(slot, MAIL_WITH_EXP), 0);
    auto sent = Sent();
    ASSERT_EQ(sent["files"], "1");
    EXPECT_EQ(sent["name"], "a_b_c.exp");
    EXPECT_EQ(sent["position"], "-1");
    EXPECT_EQ(ReadFileBytes(record + ".att0").substr(0, 18), std::string("ZettlyExport V1.8\x1A"));
    std::string attachment = sent["path"];
    EXPECT_NE(ReadFileBytes(attachment), "<missing>") << "the mail program may read it later";
    MailShutdown();
    EXPECT_EQ(ReadFileBytes(attachment), "<missing>") << "gone at the end of the run";
    ASSERT_EQ(MailInit(), 0);

    int untitled = NewNote("", "x");
    ASSERT_EQ(MailZettly(untitled, MAIL_WITH_RTF), 0);
    EXPECT_EQ(Sent()["name"], ".rtf");
    EXPECT_EQ(ReadFileBytes(record + ".att0").substr(0, 5), "{\\rtf");
}

TEST_F(Mail, InstallerAttachmentEndsWithTheNote)
{
    int slot = NewNote("Gift", "for you");
    ASSERT_EQ(MailZettly(slot, MAIL_WITH_INSTALLER), 0);
    auto sent = Sent();
    ASSERT_EQ(sent["files"], "1");
    EXPECT_EQ(sent["name"], "zettlyinstaller.exe");
    std::string file = ReadFileBytes(record + ".att0");
    ASSERT_GT(file.size(), 18u + 744u);
    EXPECT_EQ(file.substr(0, 2), "MZ");
    EXPECT_EQ(file.substr(file.size() - 8), std::string("for you\0", 8));
    long key = FindInstallerKey((const uint8_t *)file.data(), file.size());
    ASSERT_GT(key, 0);
    EXPECT_EQ((size_t)key, file.size() - 8 - 744 - 18);
    EXPECT_EQ(file.substr(key + 18 + 252, 5), std::string("Gift\0", 5));
    EXPECT_EQ(file[key + 18 + 108], 7) << "textLength";
}

TEST_F(Mail, RefusedLogonCancelAndErrorsAreTold)
{
    int slot = NewNote("N", "t");
    SetEnvironmentVariableA("ZT_MAPI_SEND_RESULT", "1");
    EXPECT_EQ(MailZettly(slot, MAIL_PLAIN_TEXT), -2) << "the user cancelled";
    SetEnvironmentVariableA("ZT_MAPI_SEND_RESULT", "5");
    MessageBoxRecorder boxes;
    EXPECT_EQ(MailZettlyCommand(nullptr, slot, CMD_MAIL_TEXT), 5);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Mail To Operation Failed!");
    EXPECT_EQ(boxes.Boxes()[0].text, "Unknown error occurred in MAPI mail\r\nconstruction. Error code = 5");

    // A refused logon leaves no session: the next mail logs on again.
    MailShutdown();
    ASSERT_EQ(MailInit(), 0);
    SetEnvironmentVariableA("ZT_MAPI_SEND_RESULT", nullptr);
    SetEnvironmentVariableA("ZT_MAPI_LOGON_RESULT", "3");
    EXPECT_EQ(MailZettly(slot, MAIL_PLAIN_TEXT), -2);
    SetEnvironmentVariableA("ZT_MAPI_LOGON_RESULT", nullptr);
    EXPECT_EQ(MailZettly(slot, MAIL_PLAIN_TEXT), 0);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}
