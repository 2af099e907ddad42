#include "files/PrintoutLayout.h"
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "texts/Texts.h"

namespace lumo {

namespace {

using S = TextSection;

// What one row of the parameter sections prints. The order is the printout's own (it follows
// the pages but not the frames' places on them); captions and values come from the field
// table and the texts table.
enum class RowKind {
    Heading,    // a page caption
    Frame,      // a frame's caption alone
    Options,    // an option group's caption with the caption of its checked button
    Field,      // a field's label with its text
    CheckMark,  // a check box's caption with "X" or "-"
    CheckYesNo, // a check box's caption with "Ano" or "Ne"
};

struct PrintRow {
    RowKind kind;
    const char* name;
};

const PrintRow kRows[] = {
    {RowKind::Heading, "TabSheet3"},
    {RowKind::Options, "GroupBox13"},
    {RowKind::Options, "GroupBox14"},
    {RowKind::Options, "GroupBox15"},
    {RowKind::Frame, "GroupBox16"},
    {RowKind::Field, "Edit140"},
    {RowKind::Field, "Edit141"},
    {RowKind::Frame, "GroupBox17"},
    {RowKind::Field, "Edit142"},
    {RowKind::Field, "Edit143"},
    {RowKind::Options, "GroupBox11"},
    {RowKind::Options, "GroupBox12"},
    {RowKind::Options, "GroupBox26"},
    {RowKind::Field, "Edit144"},
    {RowKind::Frame, "GroupBox20"},
    {RowKind::Field, "Edit151"},
    {RowKind::Heading, "TabSheet4"},
    {RowKind::Frame, "GroupBox3"},
    {RowKind::Options, "GroupBox18"},
    {RowKind::Field, "Edit129"},
    {RowKind::Field, "Edit130"},
    {RowKind::Field, "Edit131"},
    {RowKind::Field, "Edit132"},
    {RowKind::Field, "Edit133"},
    {RowKind::CheckMark, "CheckBox1"},
    {RowKind::Frame, "GroupBox10"},
    {RowKind::Options, "GroupBox19"},
    {RowKind::Field, "Edit134"},
    {RowKind::Field, "Edit135"},
    {RowKind::Field, "Edit136"},
    {RowKind::Field, "Edit137"},
    {RowKind::Field, "Edit138"},
    {RowKind::CheckMark, "CheckBox2"},
    {RowKind::Field, "Edit139"},
    {RowKind::Heading, "TabSheet5"},
    {RowKind::Frame, "GroupBox22"},
    {RowKind::Field, "Edit145"},
    {RowKind::Field, "Edit146"},
    {RowKind::Field, "Edit147"},
    {RowKind::Field, "Edit148"},
    {RowKind::Field, "Edit149"},
    {RowKind::Field, "Edit150"},
    {RowKind::Frame, "GroupBox21"},
    {RowKind::Field, "Edit152"},
    {RowKind::Field, "Edit153"},
    {RowKind::Field, "Edit154"},
    {RowKind::Field, "Edit155"},
    {RowKind::Frame, "GroupBox24"},
    {RowKind::CheckYesNo, "CheckBox3"},
    {RowKind::CheckYesNo, "CheckBox4"},
    {RowKind::Frame, "GroupBox25"},
    {RowKind::CheckYesNo, "CheckBox5"},
    // The tone-detection dialog's lists.
    {RowKind::Field, "ComboBox2"},
    {RowKind::Field, "ComboBox1"},
    {RowKind::Field, "ComboBox3"},
};

// The caption of a page (with its button range) or of a frame, from the field table.
QString captionOf(const char* name, const Texts& texts) {
    for (const PageDef& page : pageTable())
        if (qstrcmp(page.name, name) == 0)
            return texts.get(page.caption) + QString::fromLatin1(page.captionSuffix);
    if (const FrameDef* frame = findFrame(QString::fromLatin1(name)); frame && frame->caption)
        return texts.get(*frame->caption);
    return {};
}

// Frames show their caption with one blank before and after, whatever blanks a pack had.
QString frameCaption(const QString& text) {
    return QLatin1Char(' ') + text.trimmed() + QLatin1Char(' ');
}

// The caption of the checked button; where several are checked the first in the group's
// order wins, and the last button stands when none of the others is checked.
QString optionValue(const OptionGroupDef& group, const ParameterSet& params, const Texts& texts) {
    const OptionDef* chosen = &group.options.back();
    for (std::size_t i = 0; i + 1 < group.options.size(); ++i) {
        if (params.isChecked(QString::fromLatin1(group.options[i].button))) {
            chosen = &group.options[i];
            break;
        }
    }
    return texts.get(chosen->caption) + QString::fromLatin1(chosen->captionSuffix);
}

// A caption used as a row's left text: on one line (a label may wrap on screen) and cut.
QString cutLabel(QString text, int truncation) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.left(truncation);
}

PrintFont font(int size, bool bold = false, bool italic = false, bool underline = false) {
    PrintFont f;
    f.pointSize = size;
    f.bold = bold;
    f.italic = italic;
    f.underline = underline;
    return f;
}

const PrintFont kHeading = font(10, true, true, true);
const PrintFont kRow = font(9);
const PrintFont kGroupCaption = font(9, false, false, true);
const PrintFont kPrefix = font(10, true);

// Lays rows down the pages: a row at the current line, then the next line; a line at or past
// the break limit closes the page with its frame. The next page (with its header) is begun
// only when another row comes, so the document never ends with a page of nothing but a header.
class Writer {
public:
    Writer(const PrintGeometry& g, QString date, QString title)
        : m_g(g), m_date(std::move(date)), m_title(std::move(title)) {
        m_doc.jobTitle = kSettingsPrintJob;
        m_doc.pages.emplace_back();
        m_y = m_g.dots(10);
        newLine();
        beginRow();
        header();
        m_y += m_g.dots(3);
        newLine();
    }

    // Every row starts here, so a pending page break happens before it is drawn.
    void beginRow() {
        if (!m_pagePending)
            return;
        m_pagePending = false;
        m_doc.pages.emplace_back();
        ++m_page;
        m_y = m_g.dots(15);
        header();
        m_y += m_g.dots(3) + m_g.lineStep;
    }

    void text(int x, const QString& s, const PrintFont& f, HAlign align = HAlign::Left) {
        if (s.isEmpty())
            return;
        PrintText t;
        t.x = x;
        t.y = m_y;
        t.hAlign = align;
        t.font = f;
        t.text = s;
        m_doc.pages.back().ops.emplace_back(std::move(t));
    }

    void newLine() {
        m_y += m_g.lineStep;
        if (m_y >= m_g.breakLimit && !m_pagePending) {
            frame();
            m_pagePending = true;
        }
    }

    // One row: left text at the label column and the value at the value column.
    void row(const QString& left, const QString& value) {
        beginRow();
        text(m_g.labelX, left, kRow);
        if (!value.isEmpty())
            text(m_g.valueX, value, kRow);
        newLine();
    }
    void emptyRow() {
        beginRow();
        newLine();
    }

    PrintDocument finish() {
        // The end: the last page gets its frame unless its last line already drew it.
        if (!m_pagePending)
            frame();
        return std::move(m_doc);
    }

private:
    void header() {
        text(m_g.headingX, m_date, font(9));
        text(m_g.valueX, m_title, font(12, true), HAlign::Center);
        text(m_g.width - m_g.dots(15), QStringLiteral("   Pg.- %1 -").arg(m_page), font(10),
             HAlign::Right);
    }
    void frame() {
        PrintFrame f;
        f.rect = m_g.frame;
        f.rgb = 0x0000ff;
        f.penWidth = outlineWidth(m_g.unit);
        m_doc.pages.back().ops.emplace_back(f);
    }

    const PrintGeometry& m_g;
    QString m_date;
    QString m_title;
    PrintDocument m_doc;
    int m_y = 0;
    int m_page = 1;
    bool m_pagePending = false;
};

} // namespace

QString withoutAccelerator(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&'))
                out += caption[++i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

PrintDocument layoutSettingsPrintout(const ParameterSet& params, const Texts& texts,
                                     const PrintGeometry& g, const QString& date) {
    Writer w(g, date, withoutAccelerator(texts.get(S::Menu, 14)));
    const int n = g.truncation;

    for (const PrintRow& r : kRows) {
        const QString name = QString::fromLatin1(r.name);
        switch (r.kind) {
        case RowKind::Heading:
            w.beginRow();
            w.text(g.headingX, captionOf(r.name, texts), kHeading);
            w.newLine();
            break;
        case RowKind::Frame:
            w.row(frameCaption(captionOf(r.name, texts)), {});
            break;
        case RowKind::Options:
            if (const OptionGroupDef* group = findOptionGroupByBox(name))
                w.row(frameCaption(captionOf(r.name, texts)), optionValue(*group, params, texts));
            break;
        case RowKind::Field:
        case RowKind::CheckMark:
        case RowKind::CheckYesNo: {
            const FieldDef* f = findField(name);
            const QString left = f ? cutLabel(rowCaption(*f, texts), n) : QString();
            QString value;
            if (r.kind == RowKind::Field)
                value = params.text(name);
            else if (r.kind == RowKind::CheckMark)
                value = params.isChecked(name) ? QStringLiteral("X") : QStringLiteral("-");
            else
                value = texts.message(params.isChecked(name) ? 53 : 54);
            w.row(left, value);
            break;
        }
        }
    }

    // The prefix dialled before every number, shown or not.
    w.emptyRow();
    w.beginRow();
    if (const FieldDef* prefix = findField(QStringLiteral("Edit158")))
        w.text(g.labelX, rowCaption(*prefix, texts), kPrefix);
    w.text(g.nightX, params.text(QStringLiteral("Edit158")), kPrefix);
    w.newLine();
    w.emptyRow();

    // The number memories, sixteen buttons a page; buttons without numbers are left out.
    static const char* const pages[] = {"TabSheet1", "TabSheet2", "TabSheet6", "TabSheet7"};
    const QString buttonWord = texts.get(S::TAB4, 5);
    for (int block = 0; block < 4; ++block) {
        w.beginRow();
        w.text(g.headingX, captionOf(pages[block], texts), kHeading);
        // The page's day group (its left column) and night group (its right column).
        for (const FrameDef& f : frameTable()) {
            if (qstrcmp(f.page, pages[block]) != 0 || f.kind != FrameKind::NumberRows || !f.caption)
                continue;
            w.text(f.column == 0 ? g.dayX : g.nightX, frameCaption(texts.get(*f.caption)),
                   kGroupCaption);
        }
        w.newLine();
        for (int button = block * 16 + 1; button <= block * 16 + 16; ++button) {
            const QString day = params.text(QStringLiteral("Edit%1").arg(button));
            const QString night = params.text(QStringLiteral("Edit%1").arg(button + 64));
            if (day.isEmpty() && night.isEmpty())
                continue;
            w.beginRow();
            w.text(g.labelX, buttonWord + QLatin1Char(' ') + QString::number(button), kRow);
            w.text(g.dayX, day, kRow);
            w.text(g.nightX, night, kRow);
            w.newLine();
        }
        if (block < 3)
            w.emptyRow();
    }
    return w.finish();
}

} // namespace lumo
