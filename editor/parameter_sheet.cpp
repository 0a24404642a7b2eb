#include "editor/parameter_sheet.h"

#include "foundation/gui/oem_text.h"
#include "model/device_identity.h"
#include "model/kelvofile.h"
#include "report/sha256.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <utility>

namespace kelvo {

namespace {

constexpr const char* NotInDialog = "(not in this dialog)";

QString Shown(const std::string& oem, const char* missing = NotInDialog) {
    return oem.empty() ? QString::fromLatin1(missing) : OemToQString(oem);
}

QString LanguageText(const TFileTypeKelvo& document) {
    if (!document.GetTranslationTable() || document.Language().empty())
        return QStringLiteral("Device texts (no translation)");
    return QString::fromStdString(document.Language());
}

void AddChecksum(TParameterSheet& sheet, const std::string& file, bool modified) {
    const QString name = QFileInfo(QString::fromStdString(file)).fileName();
    const std::string sum = file.empty() ? std::string() : Sha256OfFile(file);
    if (sum.empty()) {
        sheet.FileLabel = QStringLiteral("SHA-256:");
        sheet.Checksum = QStringLiteral("none, the lines are not in a saved data file");
        return;
    }
    sheet.FileLabel =
        modified ? QStringLiteral("SHA-256 of %1 as saved, before the changes shown:").arg(name)
                 : QStringLiteral("SHA-256 of %1:").arg(name);
    sheet.Checksum = QString::fromStdString(sum);
}

} // namespace

TParameterSheet BuildParameterSheet(const TFileTypeKelvo& document, const TSheetContext& context) {
    TParameterSheet sheet;
    sheet.Title = QStringLiteral("Kelvo Parameter Sheet");
    const TDeviceIdentity identity = FindDeviceIdentity(document);
    sheet.Header.push_back({"Device program", Shown(identity.Program)});
    sheet.Header.push_back({"Serial number", Shown(identity.SerialNumber)});
    if (!identity.DeviceTag.empty())
        sheet.Header.push_back({"Device tag", OemToQString(identity.DeviceTag)});
    sheet.Header.push_back({"Port", context.Port});
    sheet.Header.push_back({"Date", context.Printed.toString(QStringLiteral("yyyy-MM-dd HH:mm"))});
    const std::string& file = document.GetFileName();
    QString fileText = file.empty() ? QStringLiteral("(not saved)") : QString::fromStdString(file);
    if (context.Modified)
        fileText += QStringLiteral(" (with unsaved changes)");
    sheet.Header.push_back({"File", fileText});
    sheet.Header.push_back({"Language", LanguageText(document)});

    const TSortVListView& list = document.List();
    for (int row = 0; row < list.GetRowCount(); ++row) {
        const TFileTypeKelvo::TEntry* entry = document.GetEntry(row);
        if (!entry)
            continue;
        TSheetRow line;
        line.Caption = OemToQString(entry->GetText(0));
        line.Value = OemToQString(entry->GetText(1));
        line.Indent = std::max(0, entry->GetIndent());
        line.Separator = line.Caption.isEmpty() && line.Value.isEmpty();
        line.Heading = !line.Separator && entry->Kind() == KindLabel;
        sheet.Rows.push_back(std::move(line));
    }
    AddChecksum(sheet, file, context.Modified);
    return sheet;
}

namespace {

// The sizes of a page in the device's pixels, from sizes in points.
class TSheetLayout {
public:
    // area: the printable part of a page, in the device's pixels.
    TSheetLayout(QPaintDevice& device, QSizeF area)
        : Width(area.width()), Height(area.height()), Point(device.logicalDpiY() / 72.0),
          Device(&device) {
        Title = Font(14, true);
        Body = Font(9, false);
        Bold = Font(9, true);
        Small = Font(7, false);
        RowHeight = Metrics(Body).lineSpacing() * 1.25;
        FooterHeight = Metrics(Small).lineSpacing() * 2 + 6 * Point;
    }

    QFont Font(double points, bool bold) const {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        // Without shaping no ligatures: text copied from the PDF or searched
        // in it keeps its letters ("ffl" stays three).
        font.setStyleStrategy(QFont::PreferNoShaping);
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }
    QFontMetricsF Metrics(const QFont& font) const { return QFontMetricsF(font, Device); }

    // The height of the page's top part: the header fields on the first
    // page, a line naming the device on the others; the column captions.
    double TopHeight(const TParameterSheet& sheet, bool first) const {
        double height = Metrics(Title).lineSpacing() + 4 * Point;
        if (first)
            height += Metrics(Body).lineSpacing() * 1.2 * double(sheet.Header.size()) + 6 * Point;
        return height + RowHeight + 4 * Point;
    }
    int RowsFitting(const TParameterSheet& sheet, bool first) const {
        const double space = Height - FooterHeight - TopHeight(sheet, first);
        return std::max(1, int(space / RowHeight));
    }

    double Width;
    double Height;
    double Point;
    double RowHeight = 0;
    double FooterHeight = 0;
    QFont Title, Body, Bold, Small;

private:
    QPaintDevice* Device;
};

using TPage = std::pair<std::size_t, std::size_t>;

// The rows of each page. A heading does not stay alone at the foot of a page,
// and a separator at the top of a page is left out.
std::vector<TPage> Paginate(const TParameterSheet& sheet, const TSheetLayout& layout) {
    std::vector<TPage> pages;
    std::size_t row = 0;
    do {
        if (!pages.empty())
            while (row < sheet.Rows.size() && sheet.Rows[row].Separator)
                ++row;
        const std::size_t fits = std::size_t(layout.RowsFitting(sheet, pages.empty()));
        std::size_t end = std::min(sheet.Rows.size(), row + fits);
        if (end < sheet.Rows.size() && end - row > 1 && sheet.Rows[end - 1].Heading)
            --end;
        pages.emplace_back(row, end);
        row = end;
    } while (row < sheet.Rows.size());
    return pages;
}

void Rule(QPainter& painter, const TSheetLayout& layout, double y) {
    painter.save();
    painter.setPen(QPen(Qt::black, 0.5 * layout.Point));
    painter.drawLine(QPointF(0, y), QPointF(layout.Width, y));
    painter.restore();
}

double PaintTop(QPainter& painter, const TParameterSheet& sheet, const TSheetLayout& layout,
                bool first) {
    double y = 0;
    painter.setFont(layout.Title);
    const double titleHeight = layout.Metrics(layout.Title).lineSpacing();
    QString title = sheet.Title;
    if (!first && !sheet.Header.empty())
        title += QStringLiteral(" \u2013 ") + sheet.Header.front().Value;
    painter.drawText(QRectF(0, y, layout.Width, titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     layout.Metrics(layout.Title).elidedText(title, Qt::ElideRight, layout.Width));
    y += titleHeight + 4 * layout.Point;
    if (first) {
        const double line = layout.Metrics(layout.Body).lineSpacing() * 1.2;
        double nameWidth = 0;
        for (const TSheetField& field : sheet.Header)
            nameWidth = std::max(nameWidth,
                                 layout.Metrics(layout.Bold).horizontalAdvance(field.Name + ":"));
        nameWidth += 12 * layout.Point;
        for (const TSheetField& field : sheet.Header) {
            painter.setFont(layout.Bold);
            painter.drawText(QRectF(0, y, nameWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                             field.Name + ":");
            painter.setFont(layout.Body);
            const double room = layout.Width - nameWidth;
            painter.drawText(
                QRectF(nameWidth, y, room, line), Qt::AlignLeft | Qt::AlignVCenter,
                layout.Metrics(layout.Body).elidedText(field.Value, Qt::ElideMiddle, room));
            y += line;
        }
        y += 6 * layout.Point;
    }
    // The list's column captions.
    painter.setFont(layout.Bold);
    painter.drawText(QRectF(0, y, layout.Width, layout.RowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Key"));
    painter.drawText(QRectF(0, y, layout.Width, layout.RowHeight),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Value"));
    y += layout.RowHeight;
    Rule(painter, layout, y);
    return y + 4 * layout.Point;
}

void PaintRow(QPainter& painter, const TSheetRow& row, const TSheetLayout& layout, double y) {
    if (row.Separator)
        return;
    const QFont& font = row.Heading ? layout.Bold : layout.Body;
    const QFontMetricsF metrics = layout.Metrics(font);
    painter.setFont(font);
    const double gap = 12 * layout.Point;
    const double valueWidth = std::min(metrics.horizontalAdvance(row.Value), layout.Width * 0.45);
    const double left = row.Indent * 14 * layout.Point;
    const double captionRoom = std::max(0.0, layout.Width - left - valueWidth - gap);
    painter.drawText(QRectF(left, y, captionRoom, layout.RowHeight),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(row.Caption, Qt::ElideRight, captionRoom));
    if (!row.Value.isEmpty())
        painter.drawText(QRectF(layout.Width - valueWidth, y, valueWidth, layout.RowHeight),
                         Qt::AlignRight | Qt::AlignVCenter,
                         metrics.elidedText(row.Value, Qt::ElideRight, valueWidth));
}

void PaintFooter(QPainter& painter, const TParameterSheet& sheet, const TSheetLayout& layout,
                 int page, int pages) {
    const QFontMetricsF metrics = layout.Metrics(layout.Small);
    const double line = metrics.lineSpacing();
    double y = layout.Height - 2 * line;
    Rule(painter, layout, y - 3 * layout.Point);
    painter.setFont(layout.Small);
    // The sum stays whole; a long file name gives way.
    const double sumWidth = metrics.horizontalAdvance(sheet.Checksum);
    const double labelRoom = std::max(0.0, layout.Width - sumWidth - 4 * layout.Point);
    painter.drawText(QRectF(0, y, labelRoom, line), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(sheet.FileLabel, Qt::ElideMiddle, labelRoom));
    painter.drawText(QRectF(layout.Width - sumWidth, y, sumWidth, line),
                     Qt::AlignRight | Qt::AlignVCenter, sheet.Checksum);
    y += line;
    painter.drawText(QRectF(0, y, layout.Width, line), Qt::AlignLeft | Qt::AlignVCenter,
                     sheet.Title);
    painter.drawText(QRectF(0, y, layout.Width, line), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(page).arg(pages));
}

} // namespace

namespace {

void PaintPage(QPainter& painter, const TParameterSheet& sheet, const TSheetLayout& layout,
               const std::vector<TPage>& pages, int page) {
    double y = PaintTop(painter, sheet, layout, page == 0);
    for (std::size_t row = pages[page].first; row < pages[page].second; ++row) {
        PaintRow(painter, sheet.Rows[row], layout, y);
        y += layout.RowHeight;
    }
    PaintFooter(painter, sheet, layout, page + 1, int(pages.size()));
}

} // namespace

int PaintParameterSheet(const TParameterSheet& sheet, QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const TSheetLayout layout(device, QSizeF(device.width(), device.height()));
    const std::vector<TPage> pages = Paginate(sheet, layout);
    for (int page = 0; page < int(pages.size()); ++page) {
        if (page > 0 && !device.newPage())
            return 0;
        PaintPage(painter, sheet, layout, pages, page);
    }
    return painter.end() ? int(pages.size()) : 0;
}

QImage ParameterSheetPicture(const TParameterSheet& sheet, int dotsPerInch) {
    const QPageLayout page(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                           QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QImage image(page.fullRectPixels(dotsPerInch).size(), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    const QRect area = page.paintRectPixels(dotsPerInch);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(area.topLeft());
    const TSheetLayout layout(image, area.size());
    PaintPage(painter, sheet, layout, Paginate(sheet, layout), 0);
    return image;
}

QByteArray ParameterSheetPdf(const TParameterSheet& sheet) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(sheet.Title);
        writer.setCreator(QStringLiteral("KelvoW32"));
        if (PaintParameterSheet(sheet, writer) == 0)
            return {};
    }
    return buffer.data();
}

} // namespace kelvo
