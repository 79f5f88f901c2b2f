// Real drop events carrying file URLs, added as the Open File dialog's choice would be.
#include "ListTestWindow.h"
#include "MessageBox.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

class ListDropTest : public ListWindowTest {
protected:
    bool Drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        return Drop(data);
    }
    bool Drop(const QMimeData& data) {
        const QPoint centre = m_list->viewport()->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_list->viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_list->viewport(), &drop);
        return drop.isAccepted();
    }
};

TEST_F(ListDropTest, DroppedFilesAndFoldersAddTheDirectionsKindInTheChoicesOrder) {
    ASSERT_TRUE(QDir(Music()).mkpath("album/disc 2"));
    const QString single = MakeFile("single.MP3");
    MakeFile("album/b.mp3");
    MakeFile("album/a.mp3");
    MakeFile("album/cover.jpg");
    MakeFile("album/notes.wav");
    MakeFile("album/disc 2/c.mp3");
    ASSERT_TRUE(QFile::link(Music("album"), Music("album/disc 2/loop")));
    const QString other = MakeFile("voice.wav");

    ASSERT_TRUE(Drop({single, Music("album"), other}));
    // The last of a choice comes first, as a multiple choice of the Open File dialog.
    EXPECT_EQ(Names(), QStringList({"c.mp3", "b.mp3", "a.mp3", "single.MP3"}));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_FOLDER),
              QStringList({Music("album/disc 2"), Music("album"), Music("album"), Music()}));
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());
    Click(IDC_WAVETOMP3);
    ASSERT_TRUE(Drop({single, other}));
    EXPECT_EQ(Names(), QStringList({"c.mp3", "b.mp3", "a.mp3", "single.MP3", "voice.wav"}));
    // Listed paths are added again, as Add does.
    ASSERT_TRUE(Drop({other}));
    EXPECT_EQ(m_list->GetItemCount(), 6);
}

TEST_F(ListDropTest, OnlyDragsOfLocalFilesAreTaken) {
    QMimeData text;
    text.setText("/not/a/file/drag.mp3");
    EXPECT_FALSE(Drop(text));
    QMimeData web;
    web.setUrls({QUrl("https://brindle.example.org/song.mp3")});
    EXPECT_FALSE(Drop(web));
    EXPECT_EQ(m_list->GetItemCount(), 0);
}

} // namespace
