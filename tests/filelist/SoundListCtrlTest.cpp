// The sound list on its own: who owns the row records, what the cells show,
// sorting by heading clicks, the sort arrow and the selection's look.
#include "SoundListCtrl.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>

namespace {

// A record that counts its deletions, so a double or missing delete shows.
struct CountedItem : CSoundFileItem {
    CountedItem(const QString& name, const QString& folder) : CSoundFileItem(name, folder) {
        ++s_created;
    }
    ~CountedItem() override { ++s_deleted; }
    static inline int s_created = 0;
    static inline int s_deleted = 0;
};

class SoundListTest : public testing::Test {
protected:
    void SetUp() override {
        CountedItem::s_created = CountedItem::s_deleted = 0;
        m_list = std::make_unique<CSoundListCtrl>();
        for (const auto& [column, heading, width] :
             {std::tuple{0, "File Name", 150}, {1, "Folder", 200}, {2, "Status", 100}})
            m_list->InsertColumn(column, heading, width);
        m_list->EnableFullRowSelect(true);
        m_list->SortByColumn(0, true);
        m_list->resize(500, 300);
        m_list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_list.get()));
    }

    // Appends a row with a counted record for each name, in `folder`.
    void Add(const QStringList& names, const QString& folder) {
        for (const QString& name : names)
            m_list->InsertItem(m_list->GetItemCount(), std::make_unique<CountedItem>(name, folder));
    }
    QStringList Row(int row) const {
        return {m_list->GetItemText(row, 0), m_list->GetItemText(row, 1),
                m_list->GetItemText(row, 2)};
    }

    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            texts << m_list->GetItemText(row, column);
        return texts;
    }

    void ClickHeading(int column) {
        QHeaderView* header = m_list->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 20, header->height() / 2), 300);
    }

    std::unique_ptr<CSoundListCtrl> m_list;
};

TEST_F(SoundListTest, RecordsAreDeletedExactlyOnceWithTheirRows) {
    Add({"a.mp3", "b.mp3", "c.mp3", "d.mp3"}, "/music");
    m_list->InsertItem(2, nullptr);
    ASSERT_EQ(m_list->GetItemCount(), 5);

    EXPECT_TRUE(m_list->DeleteItem(1));
    EXPECT_EQ(CountedItem::s_deleted, 1);
    EXPECT_TRUE(m_list->DeleteItem(1)); // the row without a record
    EXPECT_EQ(CountedItem::s_deleted, 1);
    EXPECT_FALSE(m_list->DeleteItem(7));
    EXPECT_EQ(Column(0), QStringList({"a.mp3", "c.mp3", "d.mp3"}));

    m_list->SortByColumn(0, false);
    m_list->DeleteAllItems();
    EXPECT_EQ(CountedItem::s_deleted, 4);

    Add({"e.mp3", "f.mp3"}, "/music");
    m_list.reset();
    EXPECT_EQ(CountedItem::s_created, 6);
    EXPECT_EQ(CountedItem::s_deleted, 6);
}

TEST_F(SoundListTest, CellsShowTheRecordUntilATextIsWrittenIntoThem) {
    Add({"song.mp3"}, "/music");
    EXPECT_EQ(Row(0), QStringList({"song.mp3", "/music", ""}));
    EXPECT_EQ(m_list->model()->data(m_list->model()->index(0, 1)).toString(), "/music");

    m_list->SetItemText(0, 0, "renamed.mp3");
    m_list->SetItemText(0, 2, "Success");
    EXPECT_EQ(Row(0), QStringList({"renamed.mp3", "/music", "Success"}));
    EXPECT_EQ(m_list->GetFullPath(0), "/music/renamed.mp3");
    const auto* record = static_cast<const CSoundFileItem*>(m_list->GetItemData(0));
    EXPECT_EQ(record->m_strName, "song.mp3");
    EXPECT_TRUE(record->m_strStatus.isEmpty());

    // An empty written text stays written: it does not fall back to the record.
    m_list->SetItemText(0, 1, "");
    EXPECT_EQ(m_list->GetItemText(0, 1), "");
    EXPECT_FALSE(m_list->SetItemText(1, 0, "x"));
    EXPECT_EQ(m_list->GetItemText(3, 0), "");
}

TEST_F(SoundListTest, HeadingClicksSortNewColumnsAscendingThenReverse) {
    for (const auto& [name, folder] : {std::pair{"b.mp3", "/y"}, {"c.mp3", "/x"}, {"a.mp3", "/z"}})
        Add({name}, folder);
    m_list->SetSelectedRow(1); // c.mp3

    ClickHeading(1);
    EXPECT_EQ(Column(1), QStringList({"/x", "/y", "/z"}));
    EXPECT_EQ(m_list->SortHeader()->SortColumn(), 1);
    EXPECT_TRUE(m_list->SortHeader()->IsSortAscending());
    EXPECT_EQ(m_list->GetItemText(m_list->GetSelectedRow(), 0), "c.mp3");

    ClickHeading(1);
    EXPECT_EQ(Column(1), QStringList({"/z", "/y", "/x"}));
    EXPECT_FALSE(m_list->SortHeader()->IsSortAscending());

    ClickHeading(0);
    EXPECT_EQ(Column(0), QStringList({"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(m_list->SortHeader()->SortColumn(), 0);
    EXPECT_TRUE(m_list->SortHeader()->IsSortAscending());
    EXPECT_EQ(m_list->GetItemText(m_list->GetSelectedRow(), 0), "c.mp3");
}

TEST_F(SoundListTest, SortingReadsRecordsIgnoresCaseAndKeepsEqualRowsInOrder) {
    for (const auto& [name, folder] :
         {std::pair{"b.mp3", "/1"}, {"B.MP3", "/2"}, {"a.mp3", "/3"}, {"b.Mp3", "/4"}})
        Add({name}, folder);
    m_list->SetItemText(2, 0, "z.mp3"); // a written cell does not change the order
    m_list->SortByColumn(0, true);
    EXPECT_EQ(Column(1), QStringList({"/3", "/1", "/2", "/4"}));
    m_list->SortByColumn(0, false);
    EXPECT_EQ(Column(1), QStringList({"/1", "/2", "/4", "/3"}));
    // Every status record is empty, so a status sort keeps the order.
    m_list->SortByColumn(2, true);
    EXPECT_EQ(Column(1), QStringList({"/1", "/2", "/4", "/3"}));
    EXPECT_EQ(Column(0), QStringList({"b.mp3", "B.MP3", "b.Mp3", "z.mp3"}));
}

TEST_F(SoundListTest, ChecksAreKeptPerRowAndSetForAllAtOnce) {
    Add({"a.mp3", "b.mp3"}, "/m");
    EXPECT_FALSE(m_list->GetCheck(0));
    EXPECT_TRUE(m_list->SetCheck(1, true));
    EXPECT_EQ(m_list->model()->data(m_list->model()->index(1, 0), Qt::CheckStateRole).toInt(),
              Qt::Checked);
    m_list->SortByColumn(0, false);
    EXPECT_TRUE(m_list->GetCheck(0));
    EXPECT_FALSE(m_list->GetCheck(1));
    m_list->SetCheckAll(true);
    EXPECT_TRUE(m_list->GetCheck(0) && m_list->GetCheck(1));
    EXPECT_FALSE(m_list->SetCheck(2, true));
}

// Counts pixels of `colour` inside `area` of `image`.
int CountPixels(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && image.pixel(x, y) == colour.rgb())
                ++count;
    return count;
}

TEST_F(SoundListTest, TheSortedHeadingAloneCarriesAnArrowPointingTheSortWay) {
    QHeaderView* header = m_list->header();
    const int o = 2 * header->fontMetrics().horizontalAdvance(' ');
    const QColor dark = header->palette().color(QPalette::Dark);
    auto arrowBox = [&](int column) {
        const int right = header->sectionViewportPosition(column) + header->sectionSize(column);
        return QRect(QPoint(right - 3 * o, o - 2), QPoint(right - o, header->height() - o + 1));
    };
    auto topRowDark = [&](const QImage& image, int column) {
        const QRect box = arrowBox(column);
        return CountPixels(image, QRect(box.left(), o - 1, box.width(), 1), dark);
    };

    QImage image = header->grab().toImage();
    EXPECT_GT(CountPixels(image, arrowBox(0), dark), 0);
    EXPECT_EQ(CountPixels(image, arrowBox(1), dark), 0);
    EXPECT_LE(topRowDark(image, 0), 2); // pointing up: the top is the tip

    m_list->SortByColumn(1, false);
    image = header->grab().toImage();
    EXPECT_EQ(CountPixels(image, arrowBox(0), dark), 0);
    EXPECT_GT(CountPixels(image, arrowBox(1), dark), 0);
    EXPECT_GE(topRowDark(image, 1), o / 2); // pointing down: the top is the base
}

TEST_F(SoundListTest, TheSelectedRowStaysHighlightedWithoutTheFocus) {
    Add({"a.mp3", "b.mp3"}, "/m");
    m_list->clearFocus();
    m_list->SetSelectedRow(1);
    ASSERT_FALSE(m_list->hasFocus());
    const QImage image = m_list->viewport()->grab().toImage();
    const QRect row = m_list->visualRect(m_list->model()->index(1, 2));
    const QColor highlight = m_list->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_GT(CountPixels(image, row, highlight), row.width() * row.height() / 2);
    const QRect other = m_list->visualRect(m_list->model()->index(0, 2));
    EXPECT_EQ(CountPixels(image, other, highlight), 0);
}

TEST(FolderPathsTest, JoinAndSplitUseOneSeparator) {
    for (const auto& [folder, path] : {std::pair{"/music", "/music/x.mp3"}, {"/", "/x.mp3"}}) {
        EXPECT_EQ(FolderOf(path), folder);
        EXPECT_EQ(JoinFolderAndName(folder, "x.mp3"), path);
    }
}

} // namespace
