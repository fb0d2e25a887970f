#include "platform/print_window.h"

#include "platform/qr_code_view.h"
#include "platform/repeated_texts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <deque>
#include <variant>
#include <vector>

namespace {

// The layouts of the windows are in pixels of a 96 dpi screen (15 twips a pixel).
constexpr double WindowDpi = 96.0;
// No content nearer to the paper's edge than this, in window pixels (a quarter inch).
constexpr double PaperMargin = 24.0;
constexpr double GridLineWidth = 0.6;

struct TextItem
{
    QRectF rect;
    int flags;
    QString text;
    QFont font;
    QColor colour;
    bool clip;
};

struct LineItem
{
    QLineF line;
    double width;
    QColor colour;
};

struct BoxItem
{
    QRectF rect;
    double width;
    QColor colour;
};

struct FillItem
{
    QRectF rect;
    QColor colour;
};

// A QR code: its modules' square (the quiet zone around it is left white) and the code.
struct QrItem
{
    QRectF background;
    QRectF square;
    const QrCode* code;
};

using PageItem = std::variant<FillItem, BoxItem, LineItem, TextItem, QrItem>;

bool isWhite(const QColor& colour)
{
    return colour.alpha() == 0 || (colour.red() == 255 && colour.green() == 255 && colour.blue() == 255);
}

// Collects what the window shows, in window coordinates, fills first so that nothing is painted
// over texts and rules.
class WindowReader
{
public:
    explicit WindowReader(QWidget* window) : m_window(window) { }

    void read(QWidget* widget)
    {
        if (widget != m_window && widget->isHidden())
            return;
        if (widget->isWindow() && widget != m_window)
            return;
        if (auto* label = qobject_cast<QLabel*>(widget))
            return readLabel(label);
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            return readLineEdit(edit);
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            return readComboBox(combo);
        if (auto* table = qobject_cast<QTableView*>(widget))
            return readTable(table);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            return readButton(button);
        if (auto* qr = qobject_cast<QrCodeView*>(widget))
            return readQrCode(qr);
        if (qobject_cast<QScrollBar*>(widget))
            return;
        if (auto* frame = qobject_cast<QFrame*>(widget)) {
            const QFrame::Shape shape = frame->frameShape();
            if (shape == QFrame::HLine || shape == QFrame::VLine)
                return readRule(frame);
        }
        if (widget != m_window && widget->autoFillBackground())
            fill(rectOf(widget), widget->palette().color(widget->backgroundRole()));
        for (QObject* child : widget->children()) {
            if (auto* w = qobject_cast<QWidget*>(child))
                read(w);
        }
    }

    std::vector<PageItem> items() const
    {
        std::vector<PageItem> all = m_fills;
        all.insert(all.end(), m_marks.begin(), m_marks.end());
        return all;
    }
    QRectF bounds() const { return m_bounds; }

private:
    QRectF rectOf(QWidget* widget, QRect local) const
    {
        return QRectF(local.translated(widget->mapTo(m_window, QPoint(0, 0))));
    }
    QRectF rectOf(QWidget* widget) const { return rectOf(widget, widget->rect()); }

    void grow(const QRectF& rect) { m_bounds = m_bounds.isNull() ? rect : m_bounds.united(rect); }

    void fill(const QRectF& rect, const QColor& colour)
    {
        if (isWhite(colour))
            return;
        m_fills.push_back(FillItem{ rect, colour });
        grow(rect);
    }

    void text(const QRectF& rect, int flags, const QString& text, const QFont& font, const QColor& colour,
        bool clip)
    {
        if (text.isEmpty())
            return;
        m_marks.push_back(TextItem{ rect, flags, text, font, colour, clip });
        grow(rect);
    }

    void box(const QRectF& rect, double width, const QColor& colour)
    {
        m_marks.push_back(BoxItem{ rect, width, colour });
        grow(rect);
    }

    void line(const QLineF& line, double width, const QColor& colour)
    {
        m_marks.push_back(LineItem{ line, width, colour });
        grow(QRectF(line.p1(), line.p2()).normalized().adjusted(-width, -width, width, width));
    }

    void readLabel(QLabel* label)
    {
        int flags = int(label->alignment());
        if (label->wordWrap())
            flags |= Qt::TextWordWrap;
        const QRectF rect = rectOf(label, label->contentsRect());
        if (label->autoFillBackground())
            fill(rectOf(label), label->palette().color(label->backgroundRole()));
        text(rect, flags, label->text(), label->font(), label->palette().color(label->foregroundRole()),
            false);
    }

    void readLineEdit(QLineEdit* edit)
    {
        const QRectF rect = rectOf(edit);
        fill(rect, edit->palette().color(QPalette::Base));
        if (edit->hasFrame())
            box(rect, 1.0, edit->palette().color(QPalette::Dark));
        text(rect.adjusted(3, 0, -3, 0), int(edit->alignment()), edit->text(), edit->font(),
            edit->palette().color(QPalette::Text), true);
    }

    void readComboBox(QComboBox* combo)
    {
        const QRectF rect = rectOf(combo);
        box(rect, 1.0, combo->palette().color(QPalette::Dark));
        text(rect.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, combo->currentText(),
            combo->font(), combo->palette().color(QPalette::Text), true);
    }

    void readButton(QAbstractButton* button)
    {
        const QRectF rect = rectOf(button);
        if (auto* check = qobject_cast<QCheckBox*>(button)) {
            const double side = qMin(rect.height() - 4, 12.0);
            const QRectF mark(rect.left() + 1, rect.center().y() - side / 2, side, side);
            box(mark, 1.0, button->palette().color(QPalette::WindowText));
            if (check->isChecked()) {
                line(QLineF(mark.topLeft(), mark.bottomRight()), 1.0,
                    button->palette().color(QPalette::WindowText));
                line(QLineF(mark.topRight(), mark.bottomLeft()), 1.0,
                    button->palette().color(QPalette::WindowText));
            }
            text(rect.adjusted(side + 6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, button->text(),
                button->font(), button->palette().color(QPalette::WindowText), false);
            return;
        }
        box(rect, 1.0, button->palette().color(QPalette::Dark));
        text(rect, Qt::AlignCenter, button->text(), button->font(),
            button->palette().color(QPalette::ButtonText), true);
    }

    void readRule(QFrame* frame)
    {
        const QRectF rect = rectOf(frame);
        const double width = qMax(1, frame->lineWidth());
        const QColor colour = frame->frameShadow() == QFrame::Plain
            ? frame->palette().color(QPalette::WindowText)
            : frame->palette().color(QPalette::Dark);
        if (frame->frameShape() == QFrame::HLine)
            line(QLineF(rect.left(), rect.center().y(), rect.right() + 1, rect.center().y()), width, colour);
        else
            line(QLineF(rect.center().x(), rect.top(), rect.center().x(), rect.bottom() + 1), width, colour);
    }

    // Vector squares, never a picture: the code stays sharp at any printer's resolution.
    void readQrCode(QrCodeView* view)
    {
        const QRectF square = view->codeRect();
        if (square.isEmpty())
            return;
        const QPointF origin = view->mapTo(m_window, QPoint(0, 0));
        m_marks.push_back(QrItem{ rectOf(view), square.translated(origin), &*view->code() });
        grow(rectOf(view));
    }

    void readTable(QTableView* table)
    {
        const QAbstractItemModel* model = table->model();
        if (!model)
            return;
        const QColor gridColour = table->palette().color(QPalette::WindowText);
        QHeaderView* header = table->horizontalHeader();
        if (!header->isHidden()) {
            const QPoint origin = header->viewport()->mapTo(m_window, QPoint(0, 0));
            for (int c = 0; c < model->columnCount(); ++c) {
                if (header->isSectionHidden(c) || header->sectionSize(c) == 0)
                    continue;
                const QRectF cell(origin.x() + header->sectionViewportPosition(c), origin.y(),
                    header->sectionSize(c), header->height());
                box(cell, GridLineWidth, gridColour);
                const QVariant align = model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole);
                const int flags = align.isValid() ? align.toInt() : int(header->defaultAlignment());
                text(cell.adjusted(2, 0, -2, 0), flags, model->headerData(c, Qt::Horizontal).toString(),
                    header->font(), table->palette().color(QPalette::Text), true);
            }
        }
        const QWidget* viewport = table->viewport();
        const QPoint origin = viewport->mapTo(m_window, QPoint(0, 0));
        const int visibleHeight = viewport->height();
        for (int r = 0; r < model->rowCount(); ++r) {
            if (table->isRowHidden(r))
                continue;
            const int y = table->rowViewportPosition(r);
            const int h = table->rowHeight(r);
            if (y + h <= 0 || y >= visibleHeight)
                continue;
            for (int c = 0; c < model->columnCount(); ++c) {
                const int w = table->columnWidth(c);
                if (table->isColumnHidden(c) || w == 0)
                    continue;
                const QRectF cell(origin.x() + table->columnViewportPosition(c), origin.y() + y, w, h);
                const QModelIndex index = model->index(r, c);
                const QVariant background = model->data(index, Qt::BackgroundRole);
                if (background.isValid())
                    fill(cell, background.value<QBrush>().color());
                if (table->showGrid())
                    box(cell, GridLineWidth, gridColour);
                const QVariant align = model->data(index, Qt::TextAlignmentRole);
                const QVariant foreground = model->data(index, Qt::ForegroundRole);
                const QVariant font = model->data(index, Qt::FontRole);
                text(cell.adjusted(3, 0, -3, 0),
                    align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter),
                    model->data(index).toString(), font.isValid() ? font.value<QFont>() : table->font(),
                    foreground.isValid() ? foreground.value<QBrush>().color()
                                         : table->palette().color(QPalette::Text),
                    true);
            }
        }
    }

    QWidget* m_window;
    std::vector<PageItem> m_fills;
    std::vector<PageItem> m_marks;
    QRectF m_bounds;
};

// The widget's font at the size it has on screen, for a painter whose units are window pixels.
QFont paperFont(const QFont& screenFont, const QWidget* window, const QPaintDevice* device)
{
    QFont font = screenFont;
    const double pixels = screenFont.pixelSize() > 0 ? screenFont.pixelSize()
                                                     : screenFont.pointSizeF() * window->logicalDpiY() / 72.0;
    font.setPointSizeF(pixels * 72.0 / device->logicalDpiY());
    return font;
}

// The paper fonts of one drawing, each made once: a page has a few fonts and dozens of texts, and a
// font made afresh has the painter look up its glyphs' source again.
class PaperFonts
{
public:
    PaperFonts(const QWidget* window, const QPaintDevice* device) : m_window(window), m_device(device) { }

    // The same object for the same window font, as long as this lives.
    const QFont& of(const QFont& screenFont)
    {
        for (const Entry& e : m_fonts) {
            // Equal fonts that leave different properties to their surroundings resolve differently.
            if (e.screen == screenFont && e.screen.resolveMask() == screenFont.resolveMask())
                return e.paper;
        }
        return m_fonts.emplace_back(Entry{ screenFont, paperFont(screenFont, m_window, m_device) }).paper;
    }

private:
    struct Entry
    {
        QFont screen;
        QFont paper;
    };
    const QWidget* m_window;
    const QPaintDevice* m_device;
    std::deque<Entry> m_fonts; // stays in place as it grows
};

void makeLayoutsCurrent(QWidget* window)
{
    if (window->layout())
        window->layout()->activate();
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->layout())
            child->layout()->activate();
    }
}

} // namespace

void paintWindow(
    QPainter& painter, const QRectF& paper, QWidget* window, PageCodes* codesLater, RepeatedTexts* texts)
{
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->centralWidget())
        window = main->centralWidget();
    makeLayoutsCurrent(window);
    WindowReader reader(window);
    reader.read(window);
    const QRectF bounds = reader.bounds();
    if (bounds.isEmpty())
        return;

    // Device pixels per window pixel at full size.
    const double unit = painter.device()->logicalDpiX() / WindowDpi;
    const double paperWidth = paper.width() / unit;
    const double paperHeight = paper.height() / unit;
    const double scale = qMin(1.0,
        qMin((paperWidth - 2 * PaperMargin) / bounds.width(),
            (paperHeight - 2 * PaperMargin) / bounds.height()));
    const auto place = [scale](double start, double size, double paperSize) {
        return qBound(PaperMargin, start * scale, paperSize - PaperMargin - size * scale) - start * scale;
    };
    const double dx = place(bounds.left(), bounds.width(), paperWidth);
    const double dy = place(bounds.top(), bounds.height(), paperHeight);

    PageCodes ownCodes;
    PageCodes& codes = codesLater ? *codesLater : ownCodes;
    PaperFonts fonts(window, painter.device());
    const QFont* fontSet = nullptr;
    painter.save();
    painter.translate(paper.left() + dx * unit, paper.top() + dy * unit);
    painter.scale(scale * unit, scale * unit);
    for (const PageItem& item : reader.items()) {
        if (const auto* f = std::get_if<FillItem>(&item)) {
            painter.fillRect(f->rect, f->colour);
        } else if (const auto* b = std::get_if<BoxItem>(&item)) {
            painter.setPen(QPen(b->colour, b->width));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(b->rect);
        } else if (const auto* l = std::get_if<LineItem>(&item)) {
            painter.setPen(QPen(l->colour, l->width, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(l->line);
        } else if (const auto* qr = std::get_if<QrItem>(&item)) {
            painter.fillRect(qr->background, Qt::white);
            codes.add(painter, *qr->code, qr->square);
        } else if (const auto* t = std::get_if<TextItem>(&item)) {
            // Nothing between the texts changes the painter's font.
            if (const QFont& font = fonts.of(t->font); &font != fontSet) {
                painter.setFont(font);
                fontSet = &font;
            }
            painter.setPen(t->colour);
            if (t->clip) {
                painter.save();
                painter.setClipRect(t->rect);
                painter.drawText(t->rect, t->flags, t->text);
                painter.restore();
            } else if (texts) {
                texts->draw(painter, t->rect, t->flags | Qt::TextDontClip, t->text);
            } else {
                painter.drawText(t->rect, t->flags | Qt::TextDontClip, t->text);
            }
        }
    }
    painter.restore();
    ownCodes.paint(painter);
}

void PageCodes::add(const QPainter& painter, const QrCode& code, const QRectF& square)
{
    m_codes.push_back(Code{ painter.transform(), code, square });
}

void PageCodes::paint(QPainter& painter)
{
    if (m_codes.empty())
        return;
    painter.save();
    for (const Code& c : m_codes) {
        painter.setTransform(c.transform);
        QrCodeView::paintModules(painter, c.code, c.square);
    }
    painter.restore();
    m_codes.clear();
}
