// Decoding MP3 files into wave files with the sound control: output checked
// against the independent mpg123 tool, refusals that must leave files alone,
// and failures part-way.
#include "Mp3Probe.h"
#include "SmallDisk.h"
#include "SoundControl.h"
#include "SoundTestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QByteArray kKeepMe = "these bytes must survive";

class SoundDecodeTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString MakeMp3(const QString& name, double seconds = 1.5, int channels = 2, int rate = 44100) {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(
            WriteToneMp3(path, {.sampleRate = rate, .channels = channels, .seconds = seconds}))
            << "lame failed";
        return path;
    }

    // Runs a decode to its end; the log says how it ended.
    void Decode(SoundControl& control, EventLog& log) {
        control.Run();
        ASSERT_TRUE(QTest::qWaitFor([&] { return log.Ended(); }, 30000)) << "decoding never ended";
    }

    // A destination holding kKeepMe, which a refusal must leave alone.
    QString KeptFile(const QString& path) {
        EXPECT_TRUE(WriteBytes(path, kKeepMe));
        return path;
    }

    // A decode that must fail part-way with `code`, leaving `destination` as it was.
    void ExpectFailure(SoundControl& control, EventLog& log, int code, const QString& destination) {
        Decode(control, log);
        QCoreApplication::processEvents();
        EXPECT_EQ(log.finished, 0);
        ASSERT_EQ(log.errorCodes, std::vector<int>{code});
        EXPECT_EQ(ReadAll(destination), kKeepMe);
    }

    QTemporaryDir m_dir;
};

// Long enough that unthrottled progress would show.
TEST_F(SoundDecodeTest, OutputMatchesMpg123AndEventsComeInOrderOnTheOwnersThread) {
    for (const auto& [channels, rate] : {std::pair{2, 44100}, std::pair{1, 22050}}) {
        SCOPED_TRACE(QString("%1 channels at %2 Hz").arg(channels).arg(rate).toStdString());
        const QString mp3 = MakeMp3(QString("tone%1.mp3").arg(channels), 30.0, channels, rate);
        const QString wave = m_dir.filePath(QString("tone%1.wav").arg(channels));
        LoggedControl logged;
        auto& [control, log] = logged;
        ASSERT_EQ(control.Open(mp3, wave), SOUND_OK);
        EXPECT_EQ(control.GetLength(), CountFramesWithFfprobe(mp3));
        Decode(control, log);
        QCoreApplication::processEvents(); // nothing may follow the end
        ASSERT_EQ(log.finished, 1) << log.errorTexts.join("; ").toStdString();
        ASSERT_FALSE(log.progress.empty());
        EXPECT_EQ(log.order.count("finished"), 1);
        EXPECT_EQ(log.order.last(), "finished");
        EXPECT_EQ(log.progress.back(), control.GetLength());
        EXPECT_TRUE(std::is_sorted(log.progress.begin(), log.progress.end()));
        EXPECT_LT(log.progress.size(), 100u) << "progress must be throttled";
        EXPECT_FALSE(log.offThread);
        EXPECT_TRUE(log.errorCodes.empty());

        bool ours = false, theirs = false;
        const DecodedAudio decoded = ReadPcmWave(wave, &ours);
        const DecodedAudio reference = DecodeWithMpg123(mp3, &theirs);
        ASSERT_TRUE(ours && theirs);
        EXPECT_EQ(decoded.sampleRate, rate);
        EXPECT_EQ(decoded.channels, channels);
        // Both trim the encoder's delay and padding the same way: frame counts match exactly.
        ASSERT_EQ(decoded.frames(), reference.frames());
        EXPECT_EQ(decoded.frames(), 30 * rate) << "the source's own length";
        for (size_t i = 0; i < decoded.samples.size(); ++i)
            ASSERT_LE(std::abs(decoded.samples[i] - reference.samples[i]), 1) << "sample " << i;

        const QByteArray bytes = ReadAll(wave);
        ASSERT_EQ(bytes.size(), 44 + decoded.samples.size() * 2);
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(bytes.size() - 8));
        EXPECT_EQ(bytes.mid(36, 4), "data");
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 40), quint32(bytes.size() - 44));
    }
}

TEST_F(SoundDecodeTest, RefusesSourcesThatAreNotMp3WithoutTouchingTheDestination) {
    WriteToneWave(m_dir.filePath("quiet.wav"), {.amplitude = 0.0005});
    QByteArray randomWithSyncs(100000, '\0');
    for (char& byte : randomWithSyncs)
        byte = char(QRandomGenerator::global()->generate());
    for (int i = 0; i < randomWithSyncs.size() - 4; i += 997)
        randomWithSyncs.replace(i, 4, QByteArray("\xFF\xFB\x90\x64", 4));
    WriteBytes(m_dir.filePath("random.mp3"), randomWithSyncs);
    // Headerless quiet PCM: what the decoder library would take for Layer I.
    WriteBytes(m_dir.filePath("pcm.mp3"), ReadAll(m_dir.filePath("quiet.wav")).mid(44));
    // A wave file that carries MP3 data is still a RIFF file.
    WriteBytes(m_dir.filePath("riff.mp3"),
               ReadAll(m_dir.filePath("quiet.wav")).left(44) + ReadAll(MakeMp3("real.mp3")));

    for (const QString name : {"quiet.wav", "random.mp3", "pcm.mp3", "riff.mp3", "missing.mp3"}) {
        SCOPED_TRACE(name.toStdString());
        const QString destination = KeptFile(m_dir.filePath("out.wav"));
        const QString source = m_dir.filePath(name);
        const QByteArray before = ReadAll(source);
        SoundControl control;
        const int result = control.Open(source, destination);
        EXPECT_NE(result, SOUND_OK);
        EXPECT_NE(result, SOUND_NO_DISK_SPACE);
        EXPECT_EQ(control.Open(source, ""),
                  result == SOUND_SOURCE_UNREADABLE ? SOUND_SOURCE_UNREADABLE : SOUND_NOT_MP3);
        control.Run(); // after a failed Open: nothing happens
        QCoreApplication::processEvents();
        EXPECT_EQ(ReadAll(destination), kKeepMe);
        EXPECT_EQ(ReadAll(source), before);
    }
}

TEST_F(SoundDecodeTest, RefusesToWriteOverItsOwnSourceHoweverSpelled) {
    const QString mp3 = MakeMp3("self.mp3");
    const QByteArray original = ReadAll(mp3);
    QDir(m_dir.path()).mkdir("sub");
    const QByteArray target = QFile::encodeName(mp3);
    ASSERT_EQ(::symlink(target.constData(), QFile::encodeName(m_dir.filePath("link.wav"))), 0);
    ASSERT_EQ(::link(target.constData(), QFile::encodeName(m_dir.filePath("hard.wav"))), 0);
    for (const QString& spelling :
         {mp3, m_dir.path() + "/./self.mp3", m_dir.path() + "/sub/../self.mp3",
          m_dir.filePath("link.wav"), m_dir.filePath("hard.wav")}) {
        SCOPED_TRACE(spelling.toStdString());
        SoundControl control;
        EXPECT_EQ(control.Open(mp3, spelling), SOUND_DESTINATION_IS_SOURCE);
        EXPECT_EQ(ReadAll(mp3), original);
    }
}

TEST_F(SoundDecodeTest, AFileCutShortIsRefusedForDecodingOrFailsWhenCutLater) {
    const QString mp3 = MakeMp3("cut.mp3", 2.0);
    const QByteArray whole = ReadAll(mp3);
    const QString cut = m_dir.filePath("cut-early.mp3");
    ASSERT_TRUE(WriteBytes(cut, whole.left(whole.size() * 2 / 3)));
    const QString destination = KeptFile(m_dir.filePath("out.wav"));
    SoundControl control;
    EXPECT_EQ(control.Open(cut, destination), SOUND_SOURCE_CUT_SHORT);
    EXPECT_EQ(ReadAll(destination), kKeepMe);
    EXPECT_EQ(control.Open(cut, ""), SOUND_OK) << "what is there can still be played";

    EventLog log;
    log.Attach(control);
    ASSERT_EQ(control.Open(mp3, destination), SOUND_OK);
    ASSERT_EQ(::truncate(QFile::encodeName(mp3).constData(), whole.size() / 2), 0);
    ASSERT_NO_FATAL_FAILURE(ExpectFailure(control, log, SOUND_SOURCE_CUT_SHORT, destination));
    EXPECT_FALSE(log.errorTexts.first().isEmpty());
    EXPECT_EQ(FolderEntries(m_dir.path()).filter("out.wav").size(), 1) << "a temporary file stayed";
    control.Close(); // after a failure: harmless
}

// The walk decides what is audio: an ID3v2 tag full of frame syncs and Layer II
// frames of the stream's own rate and mode (which the library would decode into
// noise) never become sound, and a stream whose format changes is refused.
TEST_F(SoundDecodeTest, TagsAndJunkFramesNeverBecomeSoundAndAFormatChangeIsRefused) {
    const QString clean = m_dir.filePath("clean.mp3"), stereo = m_dir.filePath("stereo.mp3");
    ASSERT_TRUE(
        WriteToneMp3(clean, {.sampleRate = 22050, .channels = 1, .seconds = 0.5}, 32, {"-t"}));
    ASSERT_TRUE(WriteToneMp3(stereo, {.sampleRate = 22050, .seconds = 0.5}, 32, {"-t"}));
    const QByteArray stream = ReadAll(clean);
    const QByteArray id3v2 =
        QByteArray("ID3\x03\0\0\0\0\x02\x28", 10) + stream.left(4).repeated(74);
    const QByteArray id3v1 = QByteArray("TAG").leftJustified(128, ' ');
    QByteArray junk = stream.left(4);
    junk[1] = char((junk[1] & ~0x06) | 0x04); // Layer II
    junk[2] = char(junk[2] & ~0x02);          // unpadded: 144000 * 32 kbit/s / 22050 Hz bytes
    junk += QByteArray(208 - 4, '\0');
    const struct {
        const char* name;
        QByteArray bytes;
        int copies; // of the clean stream's sound; 0: refused
    } cases[] = {
        {"clean.mp3", stream, 1},
        {"tagged.mp3", id3v2 + stream + id3v1, 1},
        {"spliced.mp3", junk + stream + junk + stream + junk, 2},
        {"changed.mp3", stream + ReadAll(stereo), 0},
    };
    const long long cleanFrames = ProbeMp3File(clean).frames;
    bool ok = false; // the clean stream comes first: the others are measured by its wave
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = m_dir.filePath(c.name), wave = KeptFile(source + ".wav");
        ASSERT_TRUE(WriteBytes(source, c.bytes));
        const Mp3ProbeResult probe = ProbeMp3File(source);
        EXPECT_EQ(probe.formatChanged, c.copies == 0);
        LoggedControl logged;
        auto& [control, log] = logged;
        if (c.copies == 0) {
            EXPECT_EQ(control.Open(source, wave), SOUND_NOT_MP3);
            EXPECT_EQ(ReadAll(wave), kKeepMe);
            continue;
        }
        EXPECT_TRUE(probe.isMp3 && !probe.cutShort) << probe.problem.toStdString();
        EXPECT_EQ(probe.frames, c.copies * cleanFrames);
        ASSERT_EQ(control.Open(source, wave), SOUND_OK);
        Decode(control, log);
        ASSERT_EQ(log.finished, 1) << log.errorTexts.join("; ").toStdString();
        const qint64 frames = ReadPcmWave(wave, &ok).frames();
        ASSERT_TRUE(ok && frames > 0);
        EXPECT_EQ(frames, c.copies * ReadPcmWave(clean + ".wav", &ok).frames());
        if (c.copies == 1) {
            EXPECT_EQ(ReadAll(wave), ReadAll(clean + ".wav"));
        }
    }
}

// 8 kbit/s MPEG-2 frames repeated for more than 4 GiB of 16-bit stereo output:
// more than a RIFF file can hold, so decoding is refused; playing is not.
TEST_F(SoundDecodeTest, OutputBeyondTheRiffLimitIsRefused) {
    ASSERT_TRUE(WriteToneWave(m_dir.filePath("low.wav"), {.sampleRate = 24000, .seconds = 0.5}));
    ASSERT_TRUE(RunTool("lame", {"--quiet", "--resample", "24", "-b", "8",
                                 m_dir.filePath("low.wav"), m_dir.filePath("low.mp3")}));
    const int frameBytes = 72000 * 8 / 24000; // 8 kbit/s at 24 kHz never needs padding
    const QByteArray frame = ReadAll(m_dir.filePath("low.mp3")).mid(frameBytes, frameBytes);
    ASSERT_EQ(quint8(frame[0]), 0xFF);
    ASSERT_EQ(quint8(frame[1]) & 0x1E, 0x12) << "not an MPEG-2 Layer III frame";
    const qint64 framesNeeded = 0xFFFFFFFFLL / (576 * 2 * 2) + 1;
    const QString huge = m_dir.filePath("huge.mp3");
    ASSERT_TRUE(WriteBytes(huge, frame.repeated(framesNeeded)));
    const QString destination = KeptFile(m_dir.filePath("huge.wav"));
    SoundControl control;
    EXPECT_EQ(control.Open(huge, destination), SOUND_OUTPUT_TOO_LARGE);
    EXPECT_EQ(ReadAll(destination), kKeepMe);
    EXPECT_EQ(control.Open(huge, ""), SOUND_OK);
    EXPECT_EQ(control.GetLength(), framesNeeded);
}

TEST_F(SoundDecodeTest, ClosingOrDestroyingWhileDecodingLeavesNoFile) {
    const QString mp3 = MakeMp3("tone.mp3", 2.0);
    // The worker stops after its first frame until it is told to end, so the
    // control is closed while decoding, however fast the decoder is.
    struct Hold {
        Hold() { SoundControlSeam::SetHoldDecoding(true); }
        ~Hold() { SoundControlSeam::SetHoldDecoding(false); }
    } hold;
    for (bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "closed");
        const QString destination = m_dir.filePath("out.wav");
        EventLog log;
        {
            SoundControl control;
            log.Attach(control);
            ASSERT_EQ(control.Open(mp3, destination), SOUND_OK);
            control.Run();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return !log.progress.empty() && log.progress.back() > 0; }, 10000))
                << "the worker never decoded its first frame";
            EXPECT_EQ(FolderEntries(m_dir.path()).size(), 2) << "no temporary wave file";
            if (!destroy)
                control.Close();
        }
        QCoreApplication::processEvents();
        EXPECT_FALSE(log.Ended());
        EXPECT_FALSE(QFileInfo::exists(destination));
        EXPECT_EQ(FolderEntries(m_dir.path()), QStringList{"tone.mp3"});
    }
}

TEST_F(SoundDecodeTest, DiskSpaceIsCheckedAtOpenAndAFullDiskMidwayFails) {
    const QString mp3 = MakeMp3("tone.mp3", 3.0); // about 530 KB of output
    const QString mountPoint = m_dir.filePath("small");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("small"));
    SmallDisk disk;
    MOUNT_SMALL_DISK(disk, mountPoint, "size=600k")

    const QString destination = KeptFile(mountPoint + "/out.wav");
    ASSERT_TRUE(WriteBytes(mountPoint + "/filler", QByteArray(200 * 1024, 'x')));
    SoundControl control;
    EXPECT_EQ(control.Open(mp3, destination), SOUND_NO_DISK_SPACE);
    EXPECT_EQ(ReadAll(destination), kKeepMe);

    QFile::remove(mountPoint + "/filler");
    EventLog log;
    log.Attach(control);
    ASSERT_EQ(control.Open(mp3, destination), SOUND_OK);
    // Someone else fills the disk after Open.
    ASSERT_TRUE(WriteBytes(mountPoint + "/filler", QByteArray(300 * 1024, 'x')));
    ASSERT_NO_FATAL_FAILURE(ExpectFailure(control, log, SOUND_WRITE_FAILED, destination));
    EXPECT_TRUE(log.errorTexts.first().contains("space")) << log.errorTexts.first().toStdString();
    EXPECT_EQ(FolderEntries(mountPoint), (QStringList{"filler", "out.wav"}));
}

} // namespace
