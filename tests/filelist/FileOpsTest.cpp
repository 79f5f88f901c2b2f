// Moves that never replace a file, on real files in a temporary folder, and
// the Open File dialog's filter on a real folder.
#include "FileOps.h"
#include "FilePicker.h"
#include "TestFiles.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FileOpsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString Write(const QString& name, const QByteArray& content) {
        const QString path = m_folder.filePath(name);
        EXPECT_TRUE(WriteBytes(path, content));
        return path;
    }

    QByteArray Read(const QString& name) const { return ReadAll(m_folder.filePath(name)); }

    QTemporaryDir m_folder;
};

TEST_F(FileOpsTest, RenameMovesTheFileAndNeverReplacesAnother) {
    for (auto move : {&RenameNoReplace, &MoveByLink}) {
        const QString from = Write("from.mp3", "source");
        const QString taken = Write("taken.mp3", "keep me");
        EXPECT_FALSE(move(from, taken));
        EXPECT_EQ(Read("from.mp3"), "source");
        EXPECT_EQ(Read("taken.mp3"), "keep me");

        EXPECT_TRUE(move(from, m_folder.filePath("to.mp3")));
        EXPECT_FALSE(QFile::exists(from));
        EXPECT_EQ(Read("to.mp3"), "source");

        EXPECT_FALSE(move(m_folder.filePath("missing.mp3"), m_folder.filePath("new.mp3")));
        EXPECT_FALSE(QFile::exists(m_folder.filePath("new.mp3")));
        QFile::remove(m_folder.filePath("to.mp3"));
        QFile::remove(taken);
    }
}

class OpenFileDialogTest : public FileOpsTest {
protected:
    // The names the dialog lists in the temporary folder for one filter.
    QStringList Listed(const OpenFileRequest& request) {
        for (const char* name : {"a.wav", "b.WAV", "c.mp3", "d.txt", "Media File", "e.mp3.txt"})
            Write(name, "x");
        m_dialog = CreateOpenFileDialog(nullptr, request);
        auto* files = m_dialog->findChild<QFileSystemModel*>();
        EXPECT_NE(files, nullptr);
        if (!files)
            return {};
        bool loaded = false;
        QObject::connect(files, &QFileSystemModel::directoryLoaded, [&] { loaded = true; });
        m_dialog->setDirectory(m_folder.path());
        const QModelIndex root = files->index(m_folder.path());
        EXPECT_TRUE(QTest::qWaitFor([&] { return loaded && files->rowCount(root) > 0; }, 5000));
        QStringList names;
        for (int row = 0; row < files->rowCount(root); ++row)
            names << files->fileName(files->index(row, 0, root));
        names.sort();
        return names;
    }

    QComboBox* Filters() const { return m_dialog->findChild<QComboBox*>("fileTypeCombo"); }

    std::unique_ptr<QFileDialog> m_dialog;
};

TEST_F(OpenFileDialogTest, TheMp3FilterShowsItsTextAndListsOnlyMp3Files) {
    EXPECT_EQ(Listed({"Open File", "*.mp3(Mp3 File)", "*.mp3"}), QStringList({"c.mp3"}));
    EXPECT_EQ(m_dialog->windowTitle(), "Open File");
    EXPECT_EQ(m_dialog->nameFilters(), QStringList({"*.mp3(Mp3 File)"}));
    EXPECT_EQ(m_dialog->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_TRUE(m_dialog->testOption(QFileDialog::DontUseNativeDialog));
    ASSERT_NE(Filters(), nullptr);
    EXPECT_EQ(Filters()->currentText(), "*.mp3(Mp3 File)");
}

TEST_F(OpenFileDialogTest, TheWaveFilterListsWaveFilesOfEitherCaseEvenAfterItIsChosenAgain) {
    EXPECT_EQ(Listed({"Open File", "*.wav(Media File)", "*.wav"}), QStringList({"a.wav", "b.WAV"}));
    QComboBox* combo = Filters();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), "*.wav(Media File)");
    // The user picking the one filter again must not bring Qt's reading of it back.
    emit combo->activated(0);
    emit combo->textActivated(combo->currentText());
    EXPECT_EQ(m_dialog->findChild<QFileSystemModel*>()->nameFilters(), QStringList({"*.wav"}));
}

TEST(FilePickerSeamTest, AnswersOnceThenForgets) {
    FilePickerSeam::Reset();
    FilePickerSeam::SetNextFiles({"/music/a.mp3"});
    const OpenFileRequest request{"Open File", "*.mp3(Mp3 File)", "*.mp3"};
    const auto answer = FilePickerSeam::TakeAnswer(request);
    ASSERT_TRUE(answer && *answer);
    EXPECT_EQ(**answer, QStringList({"/music/a.mp3"}));
    EXPECT_EQ(FilePickerSeam::LastRequest()->filterText, "*.mp3(Mp3 File)");
    EXPECT_FALSE(FilePickerSeam::TakeAnswer(request));
    FilePickerSeam::SetNextCancel();
    const auto cancelled = FilePickerSeam::TakeAnswer(request);
    ASSERT_TRUE(cancelled);
    EXPECT_FALSE(*cancelled);
    FilePickerSeam::Reset();
    EXPECT_FALSE(FilePickerSeam::LastRequest());
}

} // namespace
