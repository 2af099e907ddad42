#include "app/TForm2.h"
#include "platform/Version.h"
#include "platform/WorkingFolder.h"
#include "texts/Texts.h"
#include "texts/ui/ApplyTexts.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>

namespace lumo {

namespace {
using S = TextSection;

void openWithDesktop(const QString& text) {
    // The result is ignored, as a failed link shows no message.
    QDesktopServices::openUrl(QUrl::fromUserInput(text));
}
} // namespace

const QString TForm2::kAuthorCredit = QStringLiteral("© 2026 Lumo Systems, Vexo team");
const QString TForm2::kAuthorEmail = QStringLiteral("autor@lumo.invalid");

QString fullVersionLabel(const QString& versionText) {
    return QStringLiteral("(V  ") + versionText + QLatin1Char(')');
}

QString shortVersionLabel(const QString& fullLabel) {
    // Characters 5 to 8 of the full label: the first four of the version text.
    const QString version = fullLabel.mid(4, 4);
    return QStringLiteral("V ") +
           (version.endsWith(QLatin1Char(')')) ? version.chopped(1) : version);
}

const WindowTexts& TForm2::textPlaces() {
    using P = TextPlace;
    static const WindowTexts places{
        QStringLiteral("Form2"),
        {P::prefixed("Email: ", {S::MESSAGE, 18}, "Label9"),
         P::prefixed("Web:  ", {S::MESSAGE, 20}, "Label8"), P::caption({S::OTHER, 23}),
         P::text({S::OTHER, 24}, "Label1"), P::text({S::OTHER, 25}, "Label2"),
         P::text({S::OTHER, 26}, "Label3"), P::text({S::OTHER, 27}, "Label4"),
         P::text({S::OTHER, 28}, "Label5"), P::text({S::OTHER, 29}, "Label6"),
         P::text({S::OTHER, 31}, "Label10"), P::hint({S::HINT, 15}, "Label8"),
         P::hint({S::HINT, 15}, "Image1"), P::hint({S::HINT, 16}, "Label9"),
         P::hint({S::HINT, 17}, "Label7")}};
    return places;
}

TForm2::TForm2(QWidget* parent, Opener opener)
    : QDialog(parent), m_open(opener ? std::move(opener) : Opener(openWithDesktop)) {
    setObjectName(QStringLiteral("Form2"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(287, 202);

    QLabel* label1 = makeLabel("Label1", {6, 4, 275, 30});
    label1->setAlignment(Qt::AlignCenter);
    label1->setWordWrap(true);
    QLabel* label2 = makeLabel("Label2", {6, 34, 275, 18});
    label2->setAlignment(Qt::AlignCenter);
    QFont bold = label2->font();
    bold.setBold(true);
    label2->setFont(bold);

    m_image1 = makeLabel("Image1", {10, 58, 100, 64});
    m_image1->setPixmap(lumoLogo(100, 64));
    makeLabel("Label3", {122, 58, 160, 16})->setFont(bold);
    makeLabel("Label4", {122, 74, 160, 16});
    makeLabel("Label5", {122, 90, 160, 16});
    makeLabel("Label6", {122, 106, 160, 16});

    QLabel* label7 = makeLabel("Label7", {10, 126, 272, 16});
    label7->setText(kAuthorCredit);
    QLabel* label8 = makeLabel("Label8", {10, 142, 272, 16});
    QLabel* label9 = makeLabel("Label9", {10, 158, 272, 16});
    for (QLabel* link : {label8, label9}) {
        QPalette pal = link->palette();
        pal.setColor(QPalette::WindowText, QColor(0, 0, 170));
        link->setPalette(pal);
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
    }

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(4, 178, 279, 21);
    auto* label10 = new QLabel(panel);
    label10->setObjectName(QStringLiteral("Label10"));
    label10->setGeometry(6, 2, 60, 16);
    m_label11 = new QLabel(panel);
    m_label11->setObjectName(QStringLiteral("Label11"));
    m_label11->setGeometry(70, 2, 70, 16);
    m_label12 = new QLabel(panel);
    m_label12->setObjectName(QStringLiteral("Label12"));
    m_label12->setGeometry(150, 2, 124, 16);
    m_label12->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    makeLink(m_image1, &TForm2::openWeb);
    makeLink(label8, &TForm2::openWeb);
    makeLink(label9, &TForm2::mailSupport);
    makeLink(label7, &TForm2::mailAuthor);
    makeLink(m_label12, &TForm2::mailAuthor);

    Texts defaults;
    applyTexts(defaults);
    showVersion(programVersionText());
}

QLabel* TForm2::makeLabel(const char* name, const QRect& geometry) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

void TForm2::makeLink(QWidget* control, void (TForm2::*open)()) {
    control->setCursor(Qt::PointingHandCursor);
    control->installEventFilter(this);
    m_links.emplace_back(control, open);
}

void TForm2::applyTexts(const Texts& texts) {
    applyTextPlaces(*this, textPlaces().places, texts);
    // The product name keeps to one line of the fixed box: a long one gets a smaller font.
    if (auto* label2 = findChild<QLabel*>(QStringLiteral("Label2"))) {
        QFont font = label2->font();
        font.setPointSizeF(this->font().pointSizeF());
        while (QFontMetricsF(font).horizontalAdvance(label2->text()) > label2->width() - 4 &&
               font.pointSizeF() > 6.5)
            font.setPointSizeF(font.pointSizeF() - 0.5);
        label2->setFont(font);
    }
    m_web = texts.message(20);
    m_supportEmail = texts.message(18);
    m_subject = texts.message(19);

    // The logo file named by the pack; a missing or damaged file keeps the picture shown.
    const QString logo = texts.get(S::OTHER, 30);
    if (!logo.isEmpty() && workingFolder::exists(logo)) {
        QPixmap picture;
        if (picture.load(workingFolder::resolve(logo)) && !picture.isNull()) {
            m_image1->setPixmap(
                picture.scaled(m_image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
            m_logoFromFile = true;
        }
    }
}

void TForm2::showVersion(const QString& versionText) {
    m_label12->setText(fullVersionLabel(versionText));
    m_label11->setText(shortVersionLabel(m_label12->text()));
}

void TForm2::showEvent(QShowEvent* event) {
    showVersion(programVersionText());
    QDialog::showEvent(event);
}

void TForm2::openWeb() {
    m_open(m_web);
}

void TForm2::mailSupport() {
    m_open(QStringLiteral("mailto:") + m_supportEmail + QStringLiteral("?SUBJECT=") + m_subject);
}

void TForm2::mailAuthor() {
    m_open(QStringLiteral("mailto:") + kAuthorEmail + QStringLiteral("?SUBJECT=") + m_subject);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (const auto& [control, open] : m_links) {
            if (control == watched) {
                (this->*open)();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

QPixmap lumoLogo(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // A rounded plate with a stylised handset-and-sun mark and the name.
    QLinearGradient plate(0, 0, 0, height);
    plate.setColorAt(0, QColor(30, 80, 150));
    plate.setColorAt(1, QColor(10, 40, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(plate);
    p.drawRoundedRect(QRectF(1, 1, width - 2, height - 2), 8, 8);
    const double s = height / 64.0;
    p.setBrush(QColor(255, 200, 40));
    p.drawEllipse(QPointF(20 * s, 22 * s), 10 * s, 10 * s);
    p.setPen(QPen(QColor(255, 200, 40), 2.2 * s, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(20 * s, 22 * s);
        p.rotate(45.0 * i);
        p.drawLine(QPointF(13 * s, 0), QPointF(17 * s, 0));
        p.restore();
    }
    p.setPen(QColor(255, 255, 255));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    // The name takes the room right of the sun, whatever the font's widths.
    const QRectF nameBox(36 * s, 6 * s, width - 40 * s, 32 * s);
    int pixels = int(22 * s);
    do {
        font.setPixelSize(pixels);
    } while (QFontMetricsF(font).horizontalAdvance(QStringLiteral("LUMO")) > nameBox.width() &&
             --pixels > 6);
    p.setFont(font);
    p.drawText(nameBox, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("LUMO"));
    font.setBold(false);
    font.setPixelSize(int(10 * s));
    p.setFont(font);
    p.drawText(QRectF(6 * s, 42 * s, width - 12 * s, 16 * s), Qt::AlignCenter,
               QStringLiteral("Systems"));
    return pixmap;
}

} // namespace lumo
