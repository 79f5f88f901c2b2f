// Draws every picture of the skin into a folder as <id>.png and, at twice its
// size for screens scaled above 100 %, <id>@2x.png (Qt's name for a picture of
// device pixel ratio 2), plus the icon's sizes as 128_<size>.png. Run at build
// time; nothing it draws is committed.
//   skin_generator <folder> [--sheet <png>] [--preview <png>]
// --sheet lays all pictures out on one page; --preview places the buttons on
// the background where the main window puts them, to check that they line up.
#include "Buttons.h"
#include "Captions.h"
#include "Layout.h"
#include "Pictures.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <functional>
#include <map>

namespace {

using skin::Glyph;
using skin::Look;

std::map<int, std::function<QImage()>> PictureTable() {
    using namespace skin;
    const QString mp3ToWave = ButtonCaptionOf(IDC_MP3TOWAVE);
    const QString waveToMp3 = ButtonCaptionOf(IDC_WAVETOMP3);
    return {
        {IDB_BACKGROUND, [] { return Background(); }},
        {IDB_MINIMIZE, [] { return MinimiseButton(Look::Normal); }},
        {IDB_MINIMIZE_HOVER, [] { return MinimiseButton(Look::Hover); }},
        {IDC_HAND_CURSOR, [] { return HandCursor(); }},
        {IDB_DOWN, [] { return SmallButton(Glyph::Down, Look::Normal); }},
        {IDB_BOTTOM_HOVER, [] { return SmallButton(Glyph::Bottom, Look::Hover); }},
        {IDB_DOWN_HOVER, [] { return SmallButton(Glyph::Down, Look::Hover); }},
        {IDB_TOP_HOVER, [] { return SmallButton(Glyph::Top, Look::Hover); }},
        {IDB_UP_HOVER, [] { return SmallButton(Glyph::Up, Look::Hover); }},
        {IDB_BOTTOM, [] { return SmallButton(Glyph::Bottom, Look::Normal); }},
        {IDB_TOP, [] { return SmallButton(Glyph::Top, Look::Normal); }},
        {IDB_UP, [] { return SmallButton(Glyph::Up, Look::Normal); }},
        {IDB_PLAY_HOVER, [] { return SmallButton(Glyph::Play, Look::Hover); }},
        {IDB_PLAY, [] { return SmallButton(Glyph::Play, Look::Normal); }},
        {IDB_MP3TOWAVE_CHECKED, [=] { return DirectionButton(mp3ToWave, true); }},
        {IDB_WAVETOMP3_CHECKED, [=] { return DirectionButton(waveToMp3, true); }},
        {IDB_MP3TOWAVE, [=] { return DirectionButton(mp3ToWave, false); }},
        {IDB_WAVETOMP3, [=] { return DirectionButton(waveToMp3, false); }},
        {IDB_UNCHECKALL_HOVER,
         [] { return CheckButton(Glyph::UncheckAll, IDC_UNCHECK_ALL, Look::Hover); }},
        {IDB_CHECKALL_HOVER,
         [] { return CheckButton(Glyph::CheckAll, IDC_CHECK_ALL, Look::Hover); }},
        {IDB_CHECKALL, [] { return CheckButton(Glyph::CheckAll, IDC_CHECK_ALL, Look::Normal); }},
        {IDB_UNCHECKALL,
         [] { return CheckButton(Glyph::UncheckAll, IDC_UNCHECK_ALL, Look::Normal); }},
        {IDB_REVERSE_HOVER,
         [] { return CheckButton(Glyph::Reverse, IDC_REVERSE_CHECKS, Look::Hover); }},
        {IDB_REVERSE, [] { return CheckButton(Glyph::Reverse, IDC_REVERSE_CHECKS, Look::Normal); }},
        {IDB_ADD_HOVER, [] { return ToolButton(Glyph::Add, IDC_ADD_FILES, Look::Hover); }},
        {IDB_ADD, [] { return ToolButton(Glyph::Add, IDC_ADD_FILES, Look::Normal); }},
        {IDB_CLEAR, [] { return ToolButton(Glyph::Clear, IDC_CLEAR_LIST, Look::Normal); }},
        {IDB_CLEAR_HOVER, [] { return ToolButton(Glyph::Clear, IDC_CLEAR_LIST, Look::Hover); }},
        {IDB_START_HOVER, [] { return ToolButton(Glyph::Start, IDC_START, Look::Hover); }},
        {IDB_START, [] { return ToolButton(Glyph::Start, IDC_START, Look::Normal); }},
        {IDB_SPLASH, [] { return Splash(); }},
        {IDB_OPTIONS_HOVER, [] { return ToolButton(Glyph::Options, IDC_OPTIONS, Look::Hover); }},
        {IDB_OPTIONS, [] { return ToolButton(Glyph::Options, IDC_OPTIONS, Look::Normal); }},
        {IDB_EXIT_HOVER, [] { return ExitButton(Look::Hover); }},
        {IDB_EXIT, [] { return ExitButton(Look::Normal); }},
        {IDB_HELP_HOVER, [] { return ToolButton(Glyph::Help, IDC_HELP, Look::Hover); }},
        {IDB_HELP, [] { return ToolButton(Glyph::Help, IDC_HELP, Look::Normal); }},
        {IDB_WEBSITE, [] { return WebsiteButton(Look::Normal); }},
        {IDB_WEBSITE_HOVER, [] { return WebsiteButton(Look::Hover); }},
    };
}

constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

bool Save(const QImage& image, const QString& path) {
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "skin_generator: cannot write %s\n", qPrintable(path));
    return false;
}

// Every picture at `ratio` device pixels to a logical one.
bool WritePictures(const QDir& folder, int ratio) {
    const skin::PixelRatio scale(ratio);
    const QString suffix = ratio == 1 ? QString() : QStringLiteral("@%1x").arg(ratio);
    bool ok = true;
    for (const auto& [id, draw] : PictureTable())
        ok = Save(draw(), folder.filePath(QStringLiteral("%1%2.png").arg(id).arg(suffix))) && ok;
    return ok;
}

bool WriteAll(const QDir& folder) {
    bool ok = WritePictures(folder, 1);
    ok = WritePictures(folder, 2) && ok;
    for (int size : kIconSizes)
        ok = Save(skin::Icon(size),
                  folder.filePath(QStringLiteral("%1_%2.png").arg(IDI_MAIN).arg(size))) &&
             ok;
    return ok;
}

// The background with every button's starting picture where the window puts
// it, and stand-ins for the list, the bars and the status label.
QImage Preview() {
    const auto table = PictureTable();
    QImage page = skin::Background();
    QPainter painter(&page);
    for (const skin::ButtonPlace& place : skin::kButtons)
        painter.drawImage(place.Pixels().topLeft(), table.at(place.normalBitmap)());
    painter.fillRect(skin::kFileList, Qt::white);
    painter.fillRect(skin::kFileProgress, QColor(60, 200, 90));
    painter.fillRect(skin::kBatchProgress, QColor(60, 200, 90));
    painter.fillRect(skin::kStatusLabel, skin::kBase);
    painter.setPen(skin::kCyan);
    painter.drawText(skin::kStatusLabel, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("1  of  2  files"));
    return page;
}

// Every picture at twice its size (the large ones at their own), each named.
QImage ContactSheet() {
    const int width = 1100;
    QImage sheet(width, 1900, QImage::Format_RGB32);
    sheet.fill(QColor(220, 222, 230));
    QPainter painter(&sheet);
    painter.setFont(skin::SkinFont(11, false));
    int x = 10, y = 10, rowHeight = 0;
    auto place = [&](const QString& name, const QImage& image) {
        const int scale = image.width() > 200 ? 1 : 2;
        const QSize size = image.size() * scale;
        if (x + size.width() > width - 10) {
            x = 10;
            y += rowHeight + 24;
            rowHeight = 0;
        }
        painter.drawImage(QRect(QPoint(x, y), size), image);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x, y + size.height() + 14), name);
        x += std::max(size.width(), 40) + 16;
        rowHeight = std::max(rowHeight, size.height());
    };
    for (const auto& [id, draw] : PictureTable())
        place(QString::number(id), draw());
    for (int size : kIconSizes)
        place(QStringLiteral("128_%1").arg(size), skin::Icon(size));
    return sheet.copy(0, 0, width, y + rowHeight + 30);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("folder", "Where the pictures are written.");
    parser.addOption({"sheet", "Also write a contact sheet of all pictures.", "png"});
    parser.addOption({"preview", "Also write the buttons placed on the background.", "png"});
    parser.addHelpOption();
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QDir folder(parser.positionalArguments().front());
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;
    bool ok = WriteAll(folder);
    if (parser.isSet("sheet"))
        ok = Save(ContactSheet(), parser.value("sheet")) && ok;
    if (parser.isSet("preview"))
        ok = Save(Preview(), parser.value("preview")) && ok;
    return ok ? 0 : 1;
}
