#include "texts/TextKey.h"

namespace lumo {

QString sectionName(TextSection section) {
    switch (section) {
    case TextSection::Menu:
        return QStringLiteral("Menu");
    case TextSection::TAB1:
        return QStringLiteral("TAB1");
    case TextSection::TAB2:
        return QStringLiteral("TAB2");
    case TextSection::TAB3:
        return QStringLiteral("TAB3");
    case TextSection::TAB4:
        return QStringLiteral("TAB4");
    case TextSection::MESSAGE:
        return QStringLiteral("MESSAGE");
    case TextSection::OTHER:
        return QStringLiteral("OTHER");
    case TextSection::HINT:
        return QStringLiteral("HINT");
    case TextSection::REMOTE:
        return QStringLiteral("REMOTE");
    }
    return {};
}

} // namespace lumo
