// The toolkit file dialogs' own texts: the filter as the toolkit writes it and the read-only
// refusal from the texts table.
#include "files/ui/FileCommands.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(QtFileDialogs, FiltersGetTheirLowerCaseTwin) {
    EXPECT_EQ(QtFileDialogs::toolkitFilter(QStringLiteral("Soubory Vexo|*.KTF|Všechny|*.*")),
              QStringLiteral("Soubory Vexo (*.KTF *.ktf);;Všechny (*.*)"));
}

TEST(QtFileDialogs, ReadOnlyRefusalSpeaksTheTextsTable) {
    Texts texts;
    EXPECT_EQ(QtFileDialogs::readOnlyMessage(QStringLiteral("/m/Dum.KTF"), texts),
              QStringLiteral("/m/Dum.KTF\nSoubor je určen jen pro čtení."));
    texts.set(TextSection::MESSAGE, 90, QStringLiteral("The file is read-only."));
    EXPECT_EQ(QtFileDialogs::readOnlyMessage(QStringLiteral("/m/Dum.KTF"), texts),
              QStringLiteral("/m/Dum.KTF\nThe file is read-only."));
}

} // namespace
} // namespace lumo
