// Brindle started with files and folders, as a file manager's "Open With"
// starts it: the real start-up over a temporary program folder, and the real
// program for what it answers on its own.
#include "MainApp.h"
#include "MainWindowFixture.h"

#include <QProcess>
#include <QTimer>

namespace {

class CommandLineTest : public MainWindowFixture {
protected:
    struct Opened {
        ConversionDirection direction = MP3_TO_WAVE;
        QStringList paths;
    };

    // Starts the program's window with `arguments` (after the program's name)
    // from the music folder, waits until the files given are listed, then
    // closes it; what it showed.
    Opened Start(const QStringList& arguments) {
        Opened opened;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CMainDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "no main window";
                return;
            }
            EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->IsWalkingFolders(); }, 10000));
            opened.direction = dialog->Direction();
            for (int row = 0; row < dialog->FileList()->GetItemCount(); ++row)
                opened.paths << dialog->FileList()->GetFullPath(row);
            dialog->close();
        });
        const QString before = QDir::currentPath();
        QDir::setCurrent(Music());
        CMainApp::RunMainWindow(arguments, ProgramFolder());
        QDir::setCurrent(before);
        return opened;
    }
};

TEST_F(CommandLineTest, FilesGivenAreListedAndTheFirstSoundFileChoosesTheDirection) {
    ASSERT_TRUE(QDir(Music()).mkpath("album"));
    ASSERT_TRUE(QDir(Music()).mkpath("-Embedding"));
    for (const char* name : {"a.wav", "b.WAV", "song.mp3", "notes.txt", "album/c.mp3",
                             "album/d.mp3", "album/e.wav", "-Embedding/f.wav"})
        MakeFile(name);
    struct Case {
        QStringList arguments;
        ConversionDirection direction;
        QStringList paths;
    };
    const Case cases[] = {
        {{"-Embedding", Music("b.WAV"), Music("a.wav")},
         WAVE_TO_MP3,
         {Music("a.wav"), Music("b.WAV")}},
        {{Music("song.mp3"), Music("a.wav"), "/automation"}, MP3_TO_WAVE, {Music("song.mp3")}},
        {{"-Embedding", Music("album")}, MP3_TO_WAVE, {Music("album/d.mp3"), Music("album/c.mp3")}},
        // Relative to where it starts; junk and missing paths pass silently.
        {{"-Embedding", "notes.txt", "missing.wav", "album", "a.wav"},
         WAVE_TO_MP3,
         {Music("a.wav"), Music("album/e.wav")}},
        {{"/Automation"}, MP3_TO_WAVE, {}},
    };
    for (const Case& start : cases) {
        const Opened opened = Start(start.arguments);
        EXPECT_EQ(opened.direction, start.direction) << start.arguments.join(' ').toStdString();
        EXPECT_EQ(opened.paths, start.paths) << start.arguments.join(' ').toStdString();
    }
}

// Answered on standard output without a window, so without a display.
TEST(CommandLineAnswers, HelpAndVersionPrintAndExit) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    for (const auto& [argument, begins] : {std::pair{"--help", "Usage: brindle [FILE|FOLDER]..."},
                                           {"--version", "Brindle 2.17\n"}}) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(BRINDLE_PROGRAM, {"song.mp3", argument});
        ASSERT_TRUE(program.waitForFinished(30000)) << argument;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << argument;
        EXPECT_EQ(program.exitCode(), 0) << argument;
        EXPECT_TRUE(program.readAllStandardOutput().startsWith(begins)) << argument;
        EXPECT_EQ(program.readAllStandardError(), QByteArray()) << argument;
    }
}

} // namespace
