#include "core/dropped_files.h"
#include "params/parameter_file.h"
#include "params/parameter_layout.h"
#include "tests/core/main_form_fixture.h"

#include <QAction>
#include <QFile>

namespace {

using namespace ParamIndex;

QByteArray SampleFile(const char* name)
{
    QFile f(QStringLiteral(VELMOR_SAMPLES_DIR "/") + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class FileCommands : public MainFormFixture {
protected:
    // Saves the current block under `name` in the test folder and returns the path.
    QString SaveAs(const char* name)
    {
        dialogs.saveAnswer = files.file(QString::fromLatin1(name));
        Form().MenuSaveClick(false);
        return dialogs.saveAnswer;
    }
};

TEST_F(FileCommands, SavedFileOpensBackToTheSameBlockAndBecomesTheCurrentFile)
{
    TMainForm& form = Form();
    const QString path = SaveAs("first.ign");
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(form.BlockState().savedCopy, form.Block());
    EXPECT_EQ(form.Settings().file, path);
    EXPECT_TRUE(form.windowTitle().contains("first.ign") || form.windowTitle().contains(path));

    dialogs.openAnswer = path;
    form.MenuOpenClick(false);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form.BlockState().fileVersion, kParameterFileVersion);
    EXPECT_EQ(form.Settings().newInstall, 0);
}

TEST_F(FileCommands, SavingTheSameFileTwiceKeepsItOnceAtTheFront)
{
    const QString a = SaveAs("a.ign");
    const QString b = SaveAs("b.ign");
    SaveAs("a.ign");
    const QStringList entries = Form().Settings().history.Entries();
    EXPECT_EQ(entries, (QStringList { a, b }));
    EXPECT_EQ(Form().findChild<QAction*>("MenuHistory1")->text(), "1 b");
    EXPECT_TRUE(Form().findChild<QAction*>("MenuHistory1")->isVisible());
    EXPECT_FALSE(Form().findChild<QAction*>("MenuHistory2")->isVisible());
}

TEST_F(FileCommands, SaveIntoAFolderThatCannotExistShowsTheErrorAndChangesNothing)
{
    const QString good = SaveAs("good.ign");
    const QStringList before = Form().Settings().history.Entries();
    files.write("plainfile", "x");
    dialogs.saveAnswer = files.file("plainfile/inside.ign");
    Form().MenuSaveClick(false);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Open file error!");
    EXPECT_EQ(Form().Settings().history.Entries(), before);
    EXPECT_EQ(Form().Settings().file, good);
}

TEST_F(FileCommands, DeletedHistoryEntryShowsTheErrorAndDisappears)
{
    const QString gone = SaveAs("gone.ign");
    SaveAs("kept.ign");
    ASSERT_TRUE(QFile::remove(gone));
    Form().findChild<QAction*>("MenuHistory1")->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Open file error!");
    EXPECT_FALSE(Form().Settings().history.Entries().contains(gone));
    EXPECT_FALSE(Form().findChild<QAction*>("MenuHistory1")->isVisible());
}

TEST_F(FileCommands, NewAnsweredNoChangesNothingNotEvenTheHistory)
{
    const QString path = SaveAs("kept.ign");
    TMainForm& form = Form();
    const ParameterBlock block = form.Block();
    for (MessageAnswer answer : { MessageAnswer::No, MessageAnswer::Cancel }) {
        messages.setAnswer(answer);
        form.MenuNewClick();
        EXPECT_EQ(form.Block(), block);
        EXPECT_EQ(form.Settings().history.Entries(), QStringList { path });
        EXPECT_EQ(form.Settings().file, path);
    }
    EXPECT_EQ(messages.shown.back().text, "Do you want default setting?");
    EXPECT_EQ(messages.shown.back().buttons, MessageButtons::YesNoCancel);
}

TEST_F(FileCommands, AfterNewThePreviousFileIsHistoryEntryOne)
{
    const QString path = SaveAs("previous.ign");
    messages.setAnswer(MessageAnswer::Yes);
    Form().MenuNewClick();
    EXPECT_EQ(Form().Settings().history.Entries(), (QStringList { QString(), path }));
    EXPECT_TRUE(Form().Settings().file.isEmpty());
    EXPECT_EQ(Form().findChild<QAction*>("MenuHistory1")->text(), "1 previous");
}

TEST_F(FileCommands, OlderFileIsReadWithTheOlderVersionNotice)
{
    const QString path = files.write("old.ign", SampleFile("velmor_v67.ign"));
    dialogs.openAnswer = path;
    Form().MenuOpenClick(false);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith("Older version of *.ign file!"));
    EXPECT_EQ(Form().BlockState().fileVersion, 67);
    EXPECT_EQ(Form().Settings().file, path);
}

TEST_F(FileCommands, UnknownVersionIsRejectedAndNotRemembered)
{
    QByteArray text = SampleFile("velmor_v109.ign");
    text.replace("  109 ", "  108 ");
    const QString path = files.write("future.ign", text);
    TMainForm& form = Form();
    const ParameterBlock before = form.Block();
    dialogs.openAnswer = path;
    form.MenuOpenClick(false);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Unmatched version of *.ign file!");
    EXPECT_EQ(form.Block(), before);
    EXPECT_FALSE(form.Settings().history.Entries().contains(path));
}

TEST_F(FileCommands, OpenFromExeDirStartsTheDialogInTheExeFolder)
{
    dialogs.openAnswer.clear();
    Form().MenuOpenClick(true);
    ASSERT_EQ(dialogs.openStarts.size(), 1);
    EXPECT_EQ(dialogs.openStarts[0], Form().ExeDir());
}

TEST_F(FileCommands, DroppingATextFileWithAParameterFileOpensTheParameterFile)
{
    TMainForm& form = Form();
    const QString path = SaveAs("B.IGN");
    messages.setAnswer(MessageAnswer::Yes);
    form.MenuNewClick();
    const QString text = files.write("a.txt", "hello");
    form.OpenDroppedFiles({ text });
    EXPECT_TRUE(form.Settings().file.isEmpty());
    form.OpenDroppedFiles({ text, path });
    EXPECT_EQ(form.Settings().file, path);
}

TEST(DroppedFiles, FirstNameEndingInIgnWhateverItsCase)
{
    EXPECT_EQ(FirstParameterFile({ "a.txt", "B.IGN", "c.ign" }), "B.IGN");
    EXPECT_EQ(FirstParameterFile({ "a.txt" }), "");
    EXPECT_EQ(FirstParameterFile({ ".ign" }), ".ign");
    EXPECT_EQ(FirstParameterFile({ "ign", "x.IgN" }), "x.IgN");
    EXPECT_EQ(FirstParameterFile({ "x.ign.bak" }), "");
}

} // namespace
