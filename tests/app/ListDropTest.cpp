// Files and folders dropped on the list from a file manager: real drop events
// carrying file URLs, added as the Open File dialog's choice would be.
#include "MainWindowFixture.h"
#include "MessageBox.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

class ListDropTest : public MainWindowFixture {
protected:
    // Drags `paths` over the list and drops them, as a source offering
    // `actions` with `modifiers` held; the action the drop ended with, or
    // Qt::IgnoreAction when it was refused.
    Qt::DropAction StartDrop(const QStringList& paths, Qt::DropActions actions = Qt::CopyAction,
                             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        const QPoint centre = m_list->viewport()->rect().center();
        QDragEnterEvent enter(centre, actions, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_list->viewport(), &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDropEvent drop(QPointF(centre), actions, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_list->viewport(), &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }

    bool Drop(const QStringList& paths) { return StartDrop(paths) != Qt::IgnoreAction; }
};

// A folder is walked into its subfolders, but a link back up does not loop.
TEST_F(ListDropTest, DroppedFilesAndFoldersAddTheDirectionsKindInTheChoicesOrder) {
    OpenWindow();
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
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_NAME),
              QStringList({"c.mp3", "b.mp3", "a.mp3", "single.MP3"}));
    EXPECT_EQ(Column(CSoundListCtrl::COLUMN_FOLDER),
              QStringList({Music("album/disc 2"), Music("album"), Music("album"), Music()}));
    EXPECT_TRUE(MessageBoxSeam::Recorded().empty());

    Click(IDC_WAVETOMP3);
    ASSERT_TRUE(Drop({single, other}));
    EXPECT_EQ(m_list->GetItemCount(), 5);
    EXPECT_EQ(m_list->GetItemText(4, CSoundListCtrl::COLUMN_NAME), "voice.wav");
    // Listed paths are added again, as Add does.
    ASSERT_TRUE(Drop({other}));
    EXPECT_EQ(m_list->GetItemCount(), 6);
}

// Whatever the source proposes, a drop is a copy: a source told "moved" may
// delete the user's originals. A drag that offers no copy is refused.
TEST_F(ListDropTest, ADropIsAlwaysACopy) {
    OpenWindow();
    const QString song = MakeFile("song.mp3");
    struct Case {
        Qt::DropActions offered;
        Qt::KeyboardModifiers held;
        Qt::DropAction proposed;
        Qt::DropAction ends;
    };
    const Qt::DropActions any = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    for (const Case& drag :
         {Case{any, Qt::ShiftModifier, Qt::MoveAction, Qt::CopyAction},
          Case{any, Qt::AltModifier, Qt::LinkAction, Qt::CopyAction},
          Case{Qt::MoveAction, Qt::NoModifier, Qt::MoveAction, Qt::IgnoreAction}}) {
        const QDropEvent proposal(QPointF(), drag.offered, nullptr, Qt::LeftButton, drag.held);
        ASSERT_EQ(proposal.proposedAction(), drag.proposed);
        EXPECT_EQ(StartDrop({song}, drag.offered, drag.held), drag.ends) << int(drag.proposed);
    }
    EXPECT_EQ(m_list->GetItemCount(), 2);
}

} // namespace
