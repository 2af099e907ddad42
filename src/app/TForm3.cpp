#include "app/TForm3.h"
#include "platform/SoundOutput.h"
#include "platform/WorkingFolder.h"
#include "texts/Texts.h"
#include "texts/ui/ApplyTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace lumo {

namespace {
using S = TextSection;
} // namespace

const std::array<TForm3::ToneButton, 9>& TForm3::toneButtons() {
    static const std::array<ToneButton, 9> buttons = {{
        {"Button7", "PowerOn.WAV"},
        {"Button1", "PickUp.WAV"},
        {"Button2", "HangUp.WAV"},
        {"Button5", "Buttonerror.WAV"},
        {"Button6", "Allert.WAV"},
        {"Button8", "OnProgram.WAV"},
        {"Button9", "Programming.WAV"},
        {"Button3", "Confirm.WAV"},
        {"Button4", "Error.WAV"},
    }};
    return buttons;
}

const WindowTexts& TForm3::textPlaces() {
    using P = TextPlace;
    // The buttons get OTHER 14..22 first and are then overwritten by the later keys.
    static const WindowTexts places{QStringLiteral("Form3"),
                                    {P::caption({S::OTHER, 13}),
                                     P::text({S::OTHER, 14}, "Button7"),
                                     P::text({S::OTHER, 15}, "Button1"),
                                     P::text({S::OTHER, 16}, "Button2"),
                                     P::text({S::OTHER, 17}, "Button5"),
                                     P::text({S::OTHER, 18}, "Button8"),
                                     P::text({S::OTHER, 19}, "Button9"),
                                     P::text({S::OTHER, 20}, "Button3"),
                                     P::text({S::OTHER, 21}, "Button4"),
                                     P::text({S::OTHER, 22}, "Button6"),
                                     P::text({S::MESSAGE, 31}, "Button11"),
                                     P::text({S::OTHER, 46}, "Button7"),
                                     P::text({S::OTHER, 39}, "Button2"),
                                     P::text({S::OTHER, 40}, "Button3"),
                                     P::text({S::OTHER, 41}, "Button4"),
                                     P::text({S::OTHER, 42}, "Button5"),
                                     P::text({S::OTHER, 43}, "Button6"),
                                     P::text({S::OTHER, 44}, "Button1"),
                                     P::text({S::OTHER, 45}, "Button8"),
                                     P::text({S::OTHER, 47}, "Button9")}};
    return places;
}

TForm3::TForm3(SoundOutput& sound, QWidget* parent) : QDialog(parent), m_sound(sound) {
    setObjectName(QStringLiteral("Form3"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(309, 256);

    // Two columns of 130 x 33 buttons; the close button at the bottom right.
    const auto& buttons = toneButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(buttons[i].button));
        button->setAutoDefault(false);
        const int column = i < 5 ? 0 : 1;
        const int row = i < 5 ? int(i) : int(i) - 5;
        button->setGeometry(16 + column * 147, 12 + row * 41, 130, 33);
        button->installEventFilter(this);
        const QString name = button->objectName();
        connect(button, &QPushButton::clicked, this, [this, name] { playTone(name); });
    }
    auto* close = new QPushButton(this);
    close->setObjectName(QStringLiteral("Button11"));
    close->setAutoDefault(false);
    close->setGeometry(163, 217, 130, 27);
    close->installEventFilter(this);
    connect(close, &QPushButton::clicked, this, &TForm3::reject);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(16, 212, 36, 36);
    picture->setPixmap(toneSamplesPicture(36));

    Texts defaults;
    applyTexts(defaults);
}

namespace {

// The caption broken at the blank that gives the narrowest pair of lines.
QString twoLines(const QString& text, const QFontMetricsF& fm) {
    QString best;
    qreal bestWidth = 0;
    for (qsizetype i = text.indexOf(QLatin1Char(' ')); i > 0;
         i = text.indexOf(QLatin1Char(' '), i + 1)) {
        const qreal width =
            std::max(fm.horizontalAdvance(text.left(i)), fm.horizontalAdvance(text.mid(i + 1)));
        if (best.isEmpty() || width < bestWidth) {
            best = text.left(i) + QLatin1Char('\n') + text.mid(i + 1);
            bestWidth = width;
        }
    }
    return best;
}

// Gives a fixed-size button the largest font at which its caption fits: on one line, else on
// two, shrinking only when two lines at the dialog's size are not enough.
void fitCaption(QPushButton* button, const QFont& base) {
    const QString text = button->text();
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = text;
    const QRect room = button->style()
                           ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                           .intersected(button->rect())
                           .adjusted(2, 0, -2, 0);
    auto fits = [&](const QString& caption, const QFont& font) {
        const QFontMetricsF fm(font);
        qreal width = 0;
        const QStringList lines = caption.split(QLatin1Char('\n'));
        for (const QString& line : lines)
            width = std::max(width, fm.horizontalAdvance(line));
        return width <= room.width() && fm.height() * lines.size() <= room.height();
    };
    QFont font = base;
    for (; font.pointSizeF() >= 6.5; font.setPointSizeF(font.pointSizeF() - 0.5)) {
        if (fits(text, font))
            break;
        const QString broken = twoLines(text, QFontMetricsF(font));
        if (!broken.isEmpty() && fits(broken, font)) {
            button->setText(broken);
            break;
        }
    }
    if (font.pointSizeF() < 6.5)
        font.setPointSizeF(6.5);
    button->setFont(font);
}

} // namespace

void TForm3::applyTexts(const Texts& texts) {
    applyTextPlaces(*this, textPlaces().places, texts);
    // The buttons keep their fixed size; a long caption goes on two lines or gets a smaller
    // font instead of being cut off.
    for (QPushButton* button : findChildren<QPushButton*>())
        fitCaption(button, font());
}

void TForm3::playTone(const QString& buttonName) {
    if (m_playing)
        return;
    const ToneButton* tone = nullptr;
    for (const ToneButton& b : toneButtons())
        if (buttonName == QLatin1String(b.button))
            tone = &b;
    if (!tone)
        return;
    if (m_soundFolder.isEmpty())
        m_soundFolder = workingFolder::current();
    const QString path = workingFolder::resolveIn(m_soundFolder, QString::fromLatin1(tone->file));

    m_playing = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A missing file gives our default beep, without a message.
    if (QFileInfo(path).isFile())
        m_sound.play(path, [this] { finished(); });
    else
        m_sound.playDefault([this] { finished(); });
}

void TForm3::finished() {
    if (!m_playing)
        return;
    m_playing = false;
    QApplication::restoreOverrideCursor();
}

void TForm3::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_soundFolder = workingFolder::current();
    QDialog::changeEvent(event);
}

void TForm3::showEvent(QShowEvent* event) {
    // Offscreen and some window managers never activate the dialog; showing counts too.
    m_soundFolder = workingFolder::current();
    QDialog::showEvent(event);
}

void TForm3::closeEvent(QCloseEvent* event) {
    if (m_playing) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm3::reject() {
    if (!m_playing)
        QDialog::reject();
}

void TForm3::keyPressEvent(QKeyEvent* event) {
    if (m_playing) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    // While a tone plays the buttons take no clicks and no keys; painting goes on.
    if (m_playing) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QPixmap toneSamplesPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double u = size / 36.0;
    // The loudspeaker: a box and a cone.
    p.setPen(QPen(QColor(40, 40, 40), 1.2 * u));
    p.setBrush(QColor(70, 90, 120));
    p.drawRect(QRectF(4 * u, 13 * u, 7 * u, 10 * u));
    QPainterPath cone;
    cone.moveTo(11 * u, 13 * u);
    cone.lineTo(19 * u, 6 * u);
    cone.lineTo(19 * u, 30 * u);
    cone.lineTo(11 * u, 23 * u);
    cone.closeSubpath();
    p.setBrush(QColor(110, 140, 180));
    p.drawPath(cone);
    // Three waves.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(200, 60, 40), 1.8 * u, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const double r = (5 + 4.5 * i) * u;
        p.drawArc(QRectF(19 * u - r, 18 * u - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
    return pixmap;
}

} // namespace lumo
