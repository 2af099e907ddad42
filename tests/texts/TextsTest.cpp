#include "texts/Texts.h"

#include <QSet>
#include <gtest/gtest.h>

#include <map>

namespace lumo {
namespace {

using S = TextSection;

TEST(BuiltInTexts, EveryKeyOnceWithItsSectionCounts) {
    const auto& table = builtInTexts();
    QSet<int> seen;
    std::map<S, int> perSection;
    for (const TextDef& def : table) {
        const int slot = static_cast<int>(def.key.section) * 1000 + def.key.key;
        EXPECT_FALSE(seen.contains(slot))
            << sectionName(def.key.section).toStdString() << " " << def.key.key << " twice";
        seen.insert(slot);
        ++perSection[def.key.section];
    }
    // 245 keys read from a pack, plus the later additions to MESSAGE from 55 on, to REMOTE from
    // 43 on, the compare and backup-folder commands of the Soubor menu (Menu 17 to 19) and the
    // Nastavení menu with its write check (Menu 6, 71).
    int additions = 0;
    int remoteAdditions = 0;
    int menuAdditions = 0;
    for (const TextDef& def : table) {
        additions += def.key.section == S::MESSAGE && def.key.key >= 55;
        remoteAdditions += def.key.section == S::REMOTE && def.key.key >= 43;
        menuAdditions += def.key.section == S::Menu && ((def.key.key >= 17 && def.key.key <= 19) ||
                                                        def.key.key == 6 || def.key.key == 71);
    }
    EXPECT_EQ(menuAdditions, 5);
    EXPECT_EQ(static_cast<int>(table.size()) - additions - remoteAdditions - menuAdditions, 245);
    EXPECT_EQ(perSection[S::Menu] - menuAdditions, 26);
    EXPECT_EQ(perSection[S::TAB1], 31);
    EXPECT_EQ(perSection[S::TAB2], 16);
    EXPECT_EQ(perSection[S::TAB3], 24);
    EXPECT_EQ(perSection[S::TAB4], 5);
    EXPECT_EQ(perSection[S::MESSAGE] - additions, 44);
    EXPECT_EQ(perSection[S::OTHER], 40);
    EXPECT_EQ(perSection[S::HINT], 17);
    EXPECT_EQ(perSection[S::REMOTE] - remoteAdditions, 42);
}

TEST(Texts, DefaultsAreTheCzechTexts) {
    const Texts texts;
    EXPECT_EQ(texts.get(S::Menu, 11), QStringLiteral("Otevřít"));
    EXPECT_EQ(texts.message(35), QStringLiteral("Chyba komunikace"));
    EXPECT_EQ(texts.message(37), QStringLiteral("Výběr akce ")); // trailing blank kept
    EXPECT_EQ(texts.get(S::TAB1, 81),
              QStringLiteral("Servisní heslo pro přístup do programování vrátného\nz telefonu :"));
    EXPECT_EQ(texts.get(S::OTHER, 48).count('\n'), 2);
    EXPECT_EQ(texts.get(S::OTHER, 35),
              QStringLiteral("Na tomto počítači není nainstalován program \"ACROBAT READER\","));
    EXPECT_EQ(texts.get(S::TAB2, 126), QStringLiteral("Postupné spínání (po 1 za čas sepne 2)"));
    EXPECT_EQ(texts.get(S::REMOTE, 25), QStringLiteral("Žádný Telvox není pripojen"));
    EXPECT_EQ(texts.get(S::OTHER, 37), QStringLiteral("Lumo-CZ.HLP"));
    EXPECT_EQ(texts.message(55), QStringLiteral("Zápis paměti čísel byl ukončen chybou u bloku"));
    EXPECT_EQ(texts.get(S::HINT, 99), QString()); // not a key
}

TEST(Texts, OnlyPlaceholderKeysAreLeftToTheMaker) {
    // The maker's name, addresses and pages must exist (the about box shows them) and must not
    // contain line feeds a pack could not reproduce.
    const Texts texts;
    for (const TextKey key : {TextKey{S::MESSAGE, 18}, TextKey{S::MESSAGE, 20},
                              TextKey{S::MESSAGE, 51}, TextKey{S::OTHER, 25}, TextKey{S::OTHER, 26},
                              TextKey{S::OTHER, 30}, TextKey{S::OTHER, 36}}) {
        EXPECT_FALSE(texts.get(key).isEmpty());
        EXPECT_FALSE(texts.get(key).contains('\n'));
    }
}

} // namespace
} // namespace lumo
