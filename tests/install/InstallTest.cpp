// Brindle installed as a user gets it, into a prefix with cmake --install;
// started from there by an ordinary user, it keeps its settings in the user's
// configuration folder and finds its help and encoder library in the prefix.
// The Debian package holds the same files. From the build tree it keeps
// everything beside itself.
#include "OptionFile.h"
#include "ProgramFolder.h"
#include "SoundFiles.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// The real install, once for all tests, into a prefix every user may read.
class InstallTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_prefix = new QTemporaryDir;
        ASSERT_TRUE(s_prefix->isValid());
        ASSERT_TRUE(RunTool("cmake", {"--install", BRINDLE_BUILD_DIR, "--prefix", Prefix()}));
        ASSERT_TRUE(QFile::copy(BRINDLE_INSTALL_PROBE, Prefix() + "/bin/brindle_install_probe"));
        OpenToEveryone(Prefix());
    }
    static void TearDownTestSuite() {
        delete s_prefix;
        s_prefix = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        OpenToEveryone(m_home.path());
    }

    static QString Prefix() { return s_prefix->path(); }
    QString Home(const QString& name = QString()) const {
        return name.isEmpty() ? m_home.path() : m_home.filePath(name);
    }

    static void OpenToEveryone(const QString& folder) {
        QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ReadOther |
                                          QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    }

    // Runs `program` as an ordinary user whose home is Home(): root hands the
    // home over to nobody and runs the program as nobody.
    QProcess* StartAsUser(const QString& program, const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", Home());
        environment.remove("XDG_CONFIG_HOME");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        if (::geteuid() == 0) {
            ChangeOwner(Home(), kNobody);
            m_process.start("setpriv", QStringList{"--reuid=65534", "--regid=65534",
                                                   "--clear-groups", program} +
                                           arguments);
        } else {
            m_process.start(program, arguments);
        }
        return &m_process;
    }

    static void ChangeOwner(const QString& path, uid_t owner) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), owner, owner), 0);
        for (const QFileInfo& entry :
             QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            ChangeOwner(entry.filePath(), owner);
    }

    QByteArray DefaultOptionBytes() const {
        ConvertOptions defaults;
        defaults.SetDefaults(Home());
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(WriteOptionFile(buffer, defaults));
        return buffer.data();
    }

    static QTemporaryDir* s_prefix;
    QTemporaryDir m_home;
    QProcess m_process;
};

QTemporaryDir* InstallTest::s_prefix = nullptr;

TEST_F(InstallTest, AnOrdinaryUserConvertsWithSettingsInTheirConfigurationFolder) {
    ASSERT_TRUE(QDir(Home()).mkdir("music"));
    ASSERT_TRUE(WriteToneWave(Home("music/tone.wav"), ToneSpec())); // one second
    QProcess* probe =
        StartAsUser(Prefix() + "/bin/brindle_install_probe", {Home("music/tone.wav")});
    ASSERT_TRUE(probe->waitForFinished(90000));
    const QString output = QString::fromUtf8(probe->readAll());
    EXPECT_EQ(probe->exitCode(), 0) << output.toStdString();
    for (const QString& line :
         {"settings=" + Home(".config/brindle/"), "library=" + Prefix() + "/lib/brindle/",
          "help=" + Prefix() + "/share/doc/brindle/", QString("status=Success")})
        EXPECT_TRUE(output.contains(line + "\n")) << output.toStdString();
    EXPECT_TRUE(QFile::exists(Prefix() + "/share/doc/brindle/brindle_help.html"));
    EXPECT_EQ(ReadAll(Home(".config/brindle/option.opt")), DefaultOptionBytes());
    EXPECT_GT(QFileInfo(Home("music/tone.mp3")).size(), 1000);
    EXPECT_EQ(FolderEntries(Prefix() + "/bin"), QStringList({"brindle", "brindle_install_probe"}));
}

// The regular files of the package `deb`, as paths from its root.
QStringList PackagedFiles(const QString& deb) {
    QByteArray listing;
    EXPECT_TRUE(RunTool("dpkg-deb", {"--contents", deb}, &listing));
    QStringList files;
    for (const QByteArray& line : listing.split('\n'))
        if (line.startsWith('-'))
            files << QString::fromUtf8(line.split(' ').last());
    return files;
}

// The names of the packages `deb` depends on, without versions.
QStringList DependedOn(const QString& deb) {
    QByteArray depends;
    EXPECT_TRUE(RunTool("dpkg-deb", {"--field", deb, "Depends"}, &depends));
    QStringList names;
    for (const QByteArray& choice : depends.replace('|', ',').split(','))
        names << QString::fromUtf8(choice.trimmed().split(' ').first());
    return names;
}

// The Debian package installs the program's own files and nothing else
// besides documents, and names the libraries it loads. Its version may carry
// a Debian revision, and its documents (manual pages among them) may grow.
TEST(DebianPackage, InstallsTheProgramsFilesAndDependsOnItsLibraries) {
    QTemporaryDir packages;
    ASSERT_TRUE(RunTool("cpack",
                        {"-G", "DEB", "--config", QString(BRINDLE_BUILD_DIR) + "/CPackConfig.cmake",
                         "-B", packages.path()}));
    const QStringList debs =
        QDir(packages.path()).entryList({"brindle_2.17*_amd64.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << FolderEntries(packages.path()).join(" ").toStdString();
    const QString deb = packages.filePath(debs.first());

    QStringList expected = {"./usr/bin/brindle", "./usr/lib/brindle/libsonavek.so",
                            "./usr/share/applications/org.example.brindle.desktop",
                            "./usr/share/metainfo/org.example.brindle.metainfo.xml"};
    for (int size : {16, 32, 48, 64, 128, 256})
        expected
            << QString("./usr/share/icons/hicolor/%1x%1/apps/org.example.brindle.png").arg(size);
    QStringList programFiles, documents;
    for (const QString& file : PackagedFiles(deb)) {
        const bool document =
            file.startsWith("./usr/share/doc/") || file.startsWith("./usr/share/man/");
        (document ? documents : programFiles) << file;
    }
    expected.sort();
    programFiles.sort();
    EXPECT_EQ(programFiles, expected);
    for (const char* file : {"brindle_help.html", "main-window.png"})
        EXPECT_TRUE(documents.contains(QString("./usr/share/doc/brindle/") + file)) << file;

    const QStringList depends = DependedOn(deb);
    for (const char* package :
         {"libqt6widgets6", "libqt6multimedia6", "libmp3lame0", "libmpg123-0", "qt6-qpa-plugins"})
        EXPECT_TRUE(depends.contains(package))
            << package << " in " << depends.join(", ").toStdString();
}

// What a desktop and Debian read of the install: the desktop entry hands the
// files to open to the program and names the media types Brindle reads, both
// metadata files validate, and the copyright, changelog and manual page are
// where Debian looks for them.
TEST_F(InstallTest, TheDesktopOpensSoundFilesWithBrindle) {
    const QString entry = Prefix() + "/share/applications/org.example.brindle.desktop";
    const QString metainfo = Prefix() + "/share/metainfo/org.example.brindle.metainfo.xml";
    EXPECT_TRUE(RunTool("desktop-file-validate", {entry}));
    EXPECT_TRUE(RunTool("appstreamcli", {"validate", "--no-net", metainfo}));
    const QStringList lines = QString::fromUtf8(ReadAll(entry)).split('\n');
    EXPECT_TRUE(lines.contains("Exec=brindle %F"));
    const QStringList mimeLines = lines.filter(QRegularExpression("^MimeType="));
    ASSERT_EQ(mimeLines.size(), 1);
    const QStringList types = mimeLines[0].mid(9).split(';', Qt::SkipEmptyParts);
    const QByteArray provides = ReadAll(metainfo);
    for (const QString type : {"audio/x-wav", "audio/wav", "audio/vnd.wave", "audio/mpeg"}) {
        EXPECT_TRUE(types.contains(type)) << type.toStdString();
        EXPECT_TRUE(provides.contains(("<mediatype>" + type + "</mediatype>").toUtf8()))
            << type.toStdString();
    }
    const QString doc = Prefix() + "/share/doc/brindle/";
    EXPECT_TRUE(ReadAll(doc + "copyright").startsWith("Format: "));
    QByteArray changelog;
    EXPECT_TRUE(RunTool("gzip", {"-dc", doc + "changelog.Debian.gz"}, &changelog));
    EXPECT_TRUE(changelog.startsWith("brindle (2.17-1) ")) << changelog.left(80).toStdString();
    EXPECT_TRUE(RunTool("gzip", {"-t", Prefix() + "/share/man/man1/brindle.1.gz"}));
}

TEST(BuildTreeLayout, EverythingStaysBesideTheProgram) {
    ASSERT_TRUE(RunsFromBuildTree());
    EXPECT_EQ(SettingsFolder(), ProgramFolder());
    EXPECT_EQ(HelpFolder(), ProgramFolder());
    EXPECT_EQ(EncoderLibraryFolder(), QString(BRINDLE_BUILD_DIR) + "/lib");
    EXPECT_TRUE(QFile::exists(HelpFolder() + "brindle_help.html"));

    for (const auto& [xdg, folder] : {std::pair{"/x/config", "/x/config/brindle/"},
                                      {"relative/config", "/home/ann/.config/brindle/"}})
        EXPECT_EQ(UserSettingsFolder(xdg, "/home/ann"), folder) << xdg;
}

} // namespace
