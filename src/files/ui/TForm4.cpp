#include "files/ui/TForm4.h"
#include "files/LabelLayout.h"
#include "files/paint/DeviceLayouts.h"
#include "files/ui/PrintPreview.h"
#include "platform/Cp1250.h"
#include "texts/Texts.h"
#include "texts/ui/ApplyTexts.h"
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace lumo {

namespace {

// Label files are in code page 1250: a character it cannot hold would be saved as "?", so it
// cannot be typed or pasted in the first place.
class Cp1250Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar ch : input) {
            unsigned char byte = 0;
            if (!cp1250::fromChar(ch, &byte))
                return Invalid;
        }
        return Acceptable;
    }
};

} // namespace

TForm4::TForm4(const Texts& texts, Messenger& messenger, FileDialogs& dialogs, PrintRunner& printer,
               QWidget* parent)
    : QDialog(parent), m_texts(texts), m_printer(printer), m_commands(texts, messenger, dialogs) {
    setObjectName(QStringLiteral("Form4"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);

    auto* columns = new QHBoxLayout;
    for (int column = 0; column < 2; ++column) {
        auto* stack = new QVBoxLayout;
        for (int block = 0; block < 3; ++block) {
            auto* frame = new QFrame(this);
            frame->setFrameShape(QFrame::StyledPanel);
            auto* rows = new QVBoxLayout(frame);
            rows->setContentsMargins(6, 6, 6, 6);
            for (int row = 0; row < 4; ++row) {
                const int n = column * 12 + block * 4 + row + 1;
                auto* e = new QLineEdit(frame);
                e->setObjectName(QStringLiteral("Edit%1").arg(n));
                e->setMaxLength(kNameLength);
                e->setValidator(new Cp1250Validator(e));
                e->setMinimumWidth(e->fontMetrics().averageCharWidth() * (kNameLength + 4));
                // Typing replaces the stored name; a cut long name stays whole until then.
                connect(e, &QLineEdit::textEdited, this,
                        [this, n](const QString& text) { m_names[std::size_t(n - 1)] = text; });
                rows->addWidget(e);
                m_edits[std::size_t(n - 1)] = e;
            }
            stack->addWidget(frame);
        }
        columns->addLayout(stack);
    }

    m_button2 = new QPushButton(this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button3 = new QPushButton(this);
    m_button3->setObjectName(QStringLiteral("Button3"));
    m_button1 = new QPushButton(this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    connect(m_button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    connect(m_button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(m_button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_button2);
    buttons->addWidget(m_button3);
    buttons->addStretch();
    buttons->addWidget(m_button1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    // A fixed dialog border.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    applyTexts(texts);
}

const WindowTexts& TForm4::textPlaces() {
    using P = TextPlace;
    using S = TextSection;
    static const WindowTexts places{QStringLiteral("Form4"),
                                    {P::caption({S::Menu, 32}), P::text({S::OTHER, 32}, "Button1"),
                                     P::text({S::OTHER, 33}, "Button2"),
                                     P::text({S::OTHER, 34}, "Button3")}};
    return places;
}

void TForm4::applyTexts(const Texts& texts) {
    applyTextPlaces(*this, textPlaces().places, texts);
}

void TForm4::setNames(const LabelNames& names) {
    m_names = names;
    showNames();
}

void TForm4::showNames() {
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        m_edits[i]->setText(m_names[i]); // the field cuts it to its length
}

void TForm4::Button2Click() {
    if (m_commands.load(m_names))
        showNames();
}

void TForm4::Button3Click() {
    m_commands.save(m_names);
}

void TForm4::Button1Click() {
    // Disabled until the job is done or cancelled; the runner shows the hourglass while the
    // pages are built and sent.
    m_button1->setEnabled(false);
    const LabelNames names = m_names;
    PrintJob job;
    job.title = kLabelPrintJob;
    job.layout = [names](QPagedPaintDevice& device) { return labelsFor(device, names); };
    m_printer.run(job);
    m_button1->setEnabled(true);
}

} // namespace lumo
