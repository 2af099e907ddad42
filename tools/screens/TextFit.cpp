#include "TextFit.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTextDocument>
#include <QToolButton>

namespace lumo::screens {

namespace {

// What a mnemonic caption shows: "&&" is one ampersand, a single "&" marks the next letter.
QString shownCaption(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

QString nameOf(const QWidget& w) {
    return w.objectName().isEmpty() ? QString::fromLatin1(w.metaObject()->className())
                                    : w.objectName();
}

// The widest line of a text without wrapping, and the height of all its lines.
QSize lineBlock(const QFontMetrics& fm, const QString& text) {
    int width = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines)
        width = std::max(width, fm.horizontalAdvance(line));
    return {width, int(lines.size()) * fm.height()};
}

class Collector {
public:
    explicit Collector(QWidget& window) : m_window(window) {}

    void add(const QWidget& w, const QString& text, QSize needed, QSize available) {
        if (needed.width() > available.width() || needed.height() > available.height())
            m_found.push_back({nameOf(w), text, needed, available});
    }
    // A control the user can see: shown, and inside the window's area.
    bool shown(const QWidget& w) const {
        if (!w.isVisible() || w.window() != &m_window)
            return false;
        const QRect inWindow(w.mapTo(&m_window, QPoint(0, 0)), w.size());
        return inWindow.intersects(m_window.rect());
    }

    void label(const QLabel& l) {
        if (l.text().isEmpty())
            return;
        const QFontMetrics fm(l.font());
        QRect room = l.contentsRect().adjusted(l.margin(), l.margin(), -l.margin(), -l.margin());
        int indent = l.indent();
        if (indent < 0)
            indent = l.frameWidth() > 0 ? fm.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        room.adjust(0, 0, -indent, 0);
        const bool rich = l.textFormat() == Qt::RichText ||
                          (l.textFormat() == Qt::AutoText && Qt::mightBeRichText(l.text()));
        QSize needed;
        if (rich) {
            QTextDocument doc;
            doc.setDocumentMargin(0);
            doc.setDefaultFont(l.font());
            doc.setHtml(l.text());
            if (l.wordWrap())
                doc.setTextWidth(room.width());
            needed = QSize(int(std::ceil(doc.idealWidth())),
                           int(std::ceil(doc.documentLayout()->documentSize().height())));
        } else if (l.wordWrap()) {
            // Wrapped at blanks; a word longer than the line still sticks out.
            needed = fm.boundingRect(QRect(0, 0, room.width(), 100000),
                                     int(Qt::TextWordWrap | Qt::AlignLeft), l.text())
                         .size();
        } else {
            needed = lineBlock(fm, l.text());
        }
        add(l, l.text(), needed, room.size());
    }

    void button(const QAbstractButton& b) {
        const QString text = shownCaption(b.text());
        if (text.isEmpty())
            return;
        const QFontMetrics fm(b.font());
        QStyleOptionButton opt;
        opt.initFrom(&b);
        opt.text = b.text();
        opt.icon = b.icon();
        opt.iconSize = b.iconSize();
        QStyle::SubElement element = QStyle::SE_PushButtonContents;
        int iconRoom = 0;
        if (qobject_cast<const QCheckBox*>(&b))
            element = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<const QRadioButton*>(&b))
            element = QStyle::SE_RadioButtonContents;
        if (!b.icon().isNull())
            iconRoom = b.iconSize().width() + 4;
        QRect room = b.style()->subElementRect(element, &opt, &b);
        if (element == QStyle::SE_PushButtonContents)
            room = room.intersected(b.rect());
        add(b, b.text(), lineBlock(fm, text) + QSize(iconRoom, 0), room.size());
    }

    void toolButton(const QToolButton& b) {
        const QString text = shownCaption(b.text());
        if (text.isEmpty() || b.toolButtonStyle() == Qt::ToolButtonIconOnly ||
            (b.toolButtonStyle() == Qt::ToolButtonFollowStyle && !b.icon().isNull()))
            return;
        const QFontMetrics fm(b.font());
        int iconRoom = 0;
        if (b.toolButtonStyle() == Qt::ToolButtonTextBesideIcon && !b.icon().isNull())
            iconRoom = b.iconSize().width() + 4;
        const int frame = b.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &b);
        add(b, b.text(), QSize(fm.horizontalAdvance(text) + iconRoom, fm.height()),
            b.rect().adjusted(frame, frame, -frame, -frame).size());
    }

    void groupBox(const QGroupBox& g) {
        if (g.title().isEmpty())
            return;
        QStyleOptionGroupBox opt;
        opt.initFrom(&g);
        opt.text = g.title();
        opt.lineWidth = 1;
        opt.midLineWidth = 0;
        opt.textAlignment = Qt::Alignment(g.alignment());
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        if (g.isCheckable())
            opt.subControls |= QStyle::SC_GroupBoxCheckBox;
        if (g.isFlat())
            opt.features |= QStyleOptionFrame::Flat;
        const QRect title =
            g.style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, &g);
        // The title starts where the style puts it and must end inside the frame.
        const QFontMetrics fm(g.font());
        const int room = g.rect().right() - title.left() + 1;
        add(g, g.title(), QSize(fm.horizontalAdvance(shownCaption(g.title())), 0), QSize(room, 0));
    }

    void tabs(const QTabBar& bar) {
        const QWidget* area = bar.parentWidget() ? bar.parentWidget() : &bar;
        const QFontMetrics fm(bar.font());
        for (int i = 0; i < bar.count(); ++i) {
            if (!bar.isTabVisible(i))
                continue;
            // The caption with a little room on each side, within the part of the tab that
            // lies inside the page control.
            const QRect r = bar.tabRect(i);
            const int right = bar.mapTo(area, r.topRight()).x();
            const int width = std::min(r.width(), r.width() - (right - area->width() + 1));
            add(bar, bar.tabText(i),
                QSize(fm.horizontalAdvance(shownCaption(bar.tabText(i))) + 4, 0), QSize(width, 0));
        }
    }

    void menuBar(const QMenuBar& bar) {
        for (QAction* a : bar.actions()) {
            if (!a->isVisible() || a->isSeparator() || a->text().trimmed().isEmpty())
                continue;
            // An item that does not fit goes into the extension menu and gets no place.
            const QRect r = bar.actionGeometry(a);
            const QFontMetrics fm(bar.font());
            const QSize needed(fm.horizontalAdvance(shownCaption(a->text())), 0);
            if (r.isEmpty() || r.right() >= bar.width())
                m_found.push_back({QStringLiteral("menu %1").arg(a->objectName()), a->text(),
                                   needed, QSize(r.isEmpty() ? 0 : bar.width() - r.left(), 0)});
        }
    }

    void lineEdit(const QLineEdit& e) {
        // Only what the program puts there: typed values may scroll.
        if (!e.isReadOnly() || e.text().isEmpty())
            return;
        const QFontMetrics fm(e.font());
        const int frame =
            e.hasFrame() ? e.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &e) : 0;
        const QMargins m = e.textMargins();
        const int horizontalMargin = 2; // the toolkit's fixed inner margin of a line edit
        const int room = e.width() - 2 * frame - m.left() - m.right() - 2 * horizontalMargin;
        add(e, e.text(), QSize(fm.horizontalAdvance(e.text()), 0), QSize(room, 0));
    }

    void visit(QWidget& w) {
        if (!shown(w))
            return;
        if (auto* l = qobject_cast<QLabel*>(&w))
            label(*l);
        else if (auto* t = qobject_cast<QToolButton*>(&w))
            toolButton(*t);
        else if (auto* b = qobject_cast<QAbstractButton*>(&w))
            button(*b);
        else if (auto* g = qobject_cast<QGroupBox*>(&w))
            groupBox(*g);
        else if (auto* bar = qobject_cast<QTabBar*>(&w))
            tabs(*bar);
        else if (auto* menu = qobject_cast<QMenuBar*>(&w))
            menuBar(*menu);
        else if (auto* e = qobject_cast<QLineEdit*>(&w))
            lineEdit(*e);
    }

    std::vector<ClippedText> m_found;

private:
    QWidget& m_window;
};

} // namespace

QString ClippedText::describe() const {
    return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
        .arg(control, text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(available.width())
        .arg(available.height());
}

std::vector<ClippedText> clippedTexts(QWidget& window) {
    Collector collector(window);
    collector.visit(window);
    for (QWidget* w : window.findChildren<QWidget*>())
        collector.visit(*w);
    return collector.m_found;
}

} // namespace lumo::screens
