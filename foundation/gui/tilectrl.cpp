#include "foundation/gui/tilectrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QVariant>

#include <algorithm>
#include <optional>
#include <vector>

namespace kelvo {

namespace {

constexpr const char* HintsProperty = "kelvoTileHints";

std::int16_t Low16(int value) {
    return static_cast<std::int16_t>(value & 0xFFFF);
}

// A group box and a bare QWidget or QFrame hold controls of their own; other
// widgets with children (an editable combo box, a scroll area) are single
// controls whose insides are theirs to arrange.
bool IsContainer(const QWidget* w) {
    if (qobject_cast<const QGroupBox*>(w))
        return true;
    const QMetaObject* meta = w->metaObject();
    return meta == &QWidget::staticMetaObject || meta == &QFrame::staticMetaObject;
}

std::vector<QWidget*> Components(const QWidget* container) {
    std::vector<QWidget*> controls;
    for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow())
            controls.push_back(w);
    }
    return controls;
}

// The area the controls are placed in. A group box keeps its title and frame
// out of it; its size does not matter, only the frame it leaves around.
QRect ClientRect(const QWidget* container, QSize size) {
    const auto* box = qobject_cast<const QGroupBox*>(container);
    if (!box) {
        const QMargins m = container->contentsMargins();
        return QRect(QPoint(0, 0), size).marginsRemoved(m);
    }
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.rect = QRect(QPoint(0, 0), size);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.subControls = QStyle::SC_GroupBoxFrame;
    if (!box->title().isEmpty())
        option.subControls |= QStyle::SC_GroupBoxLabel;
    if (box->isCheckable())
        option.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (box->isFlat())
        option.features |= QStyleOptionFrame::Flat;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents,
                                        box);
}

// A control whose size the table does not set keeps the size it was given, or
// takes the size it asks for (a label fits its text).
QSize OwnSize(QWidget* w) {
    if (w->testAttribute(Qt::WA_Resized) || !w->sizeHint().isValid())
        return w->size();
    return w->sizeHint();
}

// The kind's default size plus one pixel. Qt's controls draw larger frames
// and paddings than the units were made for, so a control is never made
// smaller than it asks to be: no caption is cut and no text is clipped. Edit
// fields keep the table's width, as they ask for a width of their own liking.
QSize StandardSize(const QWidget* w, int g, const TTileTable& table) {
    const auto& t = table.Values;
    QSize size(table.ToPixelsX(t[g + 2]) + 1, table.ToPixelsY(t[g + 3]) + 1);
    if (g == TTileTable::GroupBox)
        return size;
    const QSize hint = w->sizeHint();
    if (!hint.isValid())
        return size;
    if (g != TTileTable::Edit)
        size.setWidth(std::max(size.width(), hint.width()));
    size.setHeight(std::max(size.height(), hint.height()));
    return size;
}

} // namespace

std::uint32_t DialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const auto horizontal = static_cast<std::uint32_t>(metrics.averageCharWidth()) & 0xFFFF;
    const auto vertical = static_cast<std::uint32_t>(metrics.height()) & 0xFFFF;
    return horizontal | vertical << 16;
}

void SetTileHints(QWidget* control, int left, int top, int width, int height) {
    control->setProperty(HintsProperty, QVariant::fromValue(QList<int>{left, top, width, height}));
}

TTileHints TileHints(const QWidget* control) {
    const QList<int> v = control->property(HintsProperty).value<QList<int>>();
    if (v.size() != 4)
        return {};
    return {v[0], v[1], v[2], v[3]};
}

int TileKind(const QWidget* control) {
    if (qobject_cast<const QPushButton*>(control))
        return TTileTable::Button;
    if (qobject_cast<const QRadioButton*>(control))
        return TTileTable::RadioButton;
    if (qobject_cast<const QCheckBox*>(control))
        return TTileTable::CheckBox;
    if (qobject_cast<const QLineEdit*>(control))
        return TTileTable::Edit;
    if (qobject_cast<const QComboBox*>(control))
        return TTileTable::ComboBox;
    if (qobject_cast<const QGroupBox*>(control))
        return TTileTable::GroupBox;
    return TTileTable::OtherControl;
}

void Layout(QWidget* container, TTileTable& table) {
    const std::vector<QWidget*> controls = Components(container);
    if (controls.empty())
        return;
    table.BaseUnits = DialogBaseUnits(container->font());
    const auto& t = table.Values;
    const int k =
        qobject_cast<QGroupBox*>(container) ? TTileTable::GroupBoxContainer : TTileTable::Form;
    const QSize probe(1000, 1000);
    const QRect client = ClientRect(container, probe);
    const QPoint origin = client.topLeft();

    int columnX = table.ToPixelsX(t[k]);
    int currentBottom = table.ToPixelsY(t[k + 1]);
    int widestRight = 0;
    int lowestBottom = 0;
    std::optional<int> rowTop;
    int previousKind = -1;
    int previousRight = 0;

    for (QWidget* w : controls) {
        const int g = TileKind(w);
        const int gap = t[g == previousKind ? g : g + 1];
        const TTileHints hints = TileHints(w);

        QSize size;
        if (g == TTileTable::OtherControl) {
            size = OwnSize(w);
        } else {
            const QSize standard = StandardSize(w, g, table);
            size = QSize(hints.Width < 0 ? hints.Width & 0xFFFF : standard.width(),
                         hints.Height < 0 ? hints.Height & 0xFFFF : standard.height());
        }

        const int offsetX = Low16(hints.Left);
        const int offsetY = Low16(hints.Top);
        if (hints.Left & TileNewColumn) {
            columnX = widestRight + table.ToPixelsX(t[k + 2]);
            currentBottom = table.ToPixelsY(t[k + 1]);
            rowTop.reset();
        }
        int left;
        int top;
        if ((hints.Left & TileBeside) && rowTop) {
            // The gap beside a control is a vertical gap of the table converted
            // as such, so rows and columns breathe alike.
            left = previousRight + (offsetX ? offsetX : table.ToPixelsY(gap));
            top = *rowTop + offsetY;
        } else {
            top = currentBottom + (offsetY ? offsetY : table.ToPixelsY(gap));
            left = columnX + offsetX;
            rowTop = top;
        }
        w->setGeometry(QRect(origin + QPoint(left, top), size));

        if (IsContainer(w) && !Components(w).empty()) {
            const std::uint32_t units = table.BaseUnits;
            Layout(w, table);
            table.BaseUnits = units;
        }

        const int right = left + w->width();
        const int bottom = top + w->height();
        widestRight = std::max(widestRight, right);
        currentBottom = std::max(currentBottom, bottom);
        lowestBottom = std::max(lowestBottom, currentBottom);
        previousKind = g;
        previousRight = right;
    }

    container->resize(table.ToPixelsX(t[k]) + widestRight + (probe.width() - client.width()),
                      table.ToPixelsY(t[k + 3]) + lowestBottom +
                          (probe.height() - client.height()));
}

} // namespace kelvo
