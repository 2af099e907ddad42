#pragma once
#include "texts/TextPlaces.h"
#include <QDialog>
#include <functional>

class QLabel;

namespace lumo {

class Texts;

// The about box: what the program is, who makes it, links to the maker's web page and
// support e-mail, and the program version.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    // Hands a document or address to the desktop's default handler.
    using Opener = std::function<void(const QString&)>;

    // The author credit line and address: fixed, not from a pack.
    static const QString kAuthorCredit;
    static const QString kAuthorEmail;

    static const WindowTexts& textPlaces();

    explicit TForm2(QWidget* parent = nullptr, Opener opener = {});

    // Texts, and the logo picture from the file named by OTHER 30 when it exists.
    void applyTexts(const Texts& texts);
    // "(V  3.06.00.04)" and "V 3.06" from a version text; an empty text gives "(V  )", "V ".
    void showVersion(const QString& versionText);

    // The links, as a click on their controls opens them.
    void openWeb();
    void mailSupport();
    void mailAuthor();

    // Whether the picture is a loaded logo file rather than the built-in one.
    bool logoFromFile() const { return m_logoFromFile; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* makeLabel(const char* name, const QRect& geometry);
    void makeLink(QWidget* control, void (TForm2::*open)());

    Opener m_open;
    QString m_web;
    QString m_supportEmail;
    QString m_subject;
    QLabel* m_image1;
    QLabel* m_label11;
    QLabel* m_label12;
    bool m_logoFromFile = false;
    std::vector<std::pair<QWidget*, void (TForm2::*)()>> m_links;
};

// The built-in company logo, drawn in code.
QPixmap lumoLogo(int width, int height);

// "(V  " + version + ")" and "V " + the first four characters of the version.
QString fullVersionLabel(const QString& versionText);
QString shortVersionLabel(const QString& fullLabel);

} // namespace lumo
