// Comparing two parameter sets: what differs, where it sits and how it reads.
#include "params/FieldTable.h"
#include "params/ParameterDiff.h"
#include "texts/Texts.h"
#include <gtest/gtest.h>

using namespace lumo;

namespace {

const ParameterDifference* findDiff(const std::vector<ParameterDifference>& d,
                                    const QString& name) {
    for (const ParameterDifference& x : d)
        if (x.name == name)
            return &x;
    return nullptr;
}

} // namespace

TEST(ParameterDiff, IdenticalSetsHaveNoDifferences) {
    const Texts texts;
    ParameterSet a;
    a.setText(QStringLiteral("Edit5"), QStringLiteral("123"));
    a.setChecked(QStringLiteral("CheckBox1"), !a.isChecked(QStringLiteral("CheckBox1")));
    const ParameterSet b = a;
    EXPECT_TRUE(diffParameters(a, b, texts).empty());
    EXPECT_TRUE(diffParameters(ParameterSet(), ParameterSet(), texts).empty());
}

TEST(ParameterDiff, TextAndCheckFieldsShowPageCaptionAndBothValues) {
    Texts texts;
    ParameterSet a;
    ParameterSet b;
    const FieldDef* edit = findField(QStringLiteral("Edit129"));
    ASSERT_TRUE(edit && edit->place.frame);
    b.setText(QStringLiteral("Edit129"), QStringLiteral("7"));
    const bool box = a.isChecked(QStringLiteral("CheckBox1"));
    b.setChecked(QStringLiteral("CheckBox1"), !box);

    const auto d = diffParameters(a, b, texts);
    ASSERT_EQ(d.size(), 2u);
    const ParameterDifference* t = findDiff(d, QStringLiteral("Edit129"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->caption, rowCaption(*edit, texts));
    EXPECT_EQ(t->thisValue, a.text(QStringLiteral("Edit129")));
    EXPECT_EQ(t->otherValue, QStringLiteral("7"));
    const FrameDef* frame = findFrame(QString::fromLatin1(edit->place.frame));
    EXPECT_EQ(t->page, QString::fromLatin1(frame->page));
    EXPECT_FALSE(t->pageCaption.isEmpty());

    const ParameterDifference* c = findDiff(d, QStringLiteral("CheckBox1"));
    ASSERT_TRUE(c);
    EXPECT_NE(c->thisValue, c->otherValue); // shown as the printout shows it, not as 1/0
    EXPECT_NE(c->thisValue, QStringLiteral("1"));

    // Reversing the sides swaps the values; captions follow the active texts.
    const auto r = diffParameters(b, a, texts);
    EXPECT_EQ(findDiff(r, QStringLiteral("Edit129"))->thisValue, QStringLiteral("7"));
    texts.set(edit->caption->section, edit->caption->key, QStringLiteral("Other words"));
    EXPECT_TRUE(findDiff(diffParameters(a, b, texts), QStringLiteral("Edit129"))
                    ->caption.startsWith(QStringLiteral("Other words")));
}

TEST(ParameterDiff, AnOptionGroupCountsOnceAsTheCaptionsOfTheCheckedButtons) {
    const Texts texts;
    const OptionGroupDef& g = optionGroups().front();
    ASSERT_GE(g.options.size(), 2u);
    ParameterSet a;
    ParameterSet b;
    const QString was = a.checkedOption(QString::fromLatin1(g.options[0].button));
    const OptionDef& other =
        QLatin1String(g.options[0].button) == was ? g.options[1] : g.options[0];
    b.setChecked(QString::fromLatin1(other.button), true);

    const auto d = diffParameters(a, b, texts);
    ASSERT_EQ(d.size(), 1u); // not one row per button that changed
    EXPECT_EQ(d[0].name, QString::fromLatin1(g.groupBox));
    EXPECT_EQ(d[0].caption, texts.get(*findFrame(QString::fromLatin1(g.groupBox))->caption));
    EXPECT_EQ(d[0].otherValue, texts.get(other.caption) + QString::fromLatin1(other.captionSuffix));
    EXPECT_NE(d[0].thisValue, d[0].otherValue);
    EXPECT_FALSE(d[0].page.isEmpty());
}

TEST(ParameterDiff, NumberMemoriesAreToldApartByButtonAndDayOrNight) {
    const Texts texts;
    ParameterSet a;
    ParameterSet b;
    b.setText(numberFieldName(0), QStringLiteral("111"));  // button 1, DAY
    b.setText(numberFieldName(64), QStringLiteral("222")); // button 1, NIGHT
    b.setText(numberFieldName(20), QStringLiteral("333")); // button 21, DAY, second page

    const auto d = diffParameters(a, b, texts);
    ASSERT_EQ(d.size(), 3u);
    const ParameterDifference* day = findDiff(d, numberFieldName(0));
    const ParameterDifference* night = findDiff(d, numberFieldName(64));
    ASSERT_TRUE(day && night);
    EXPECT_NE(day->caption, night->caption);
    EXPECT_TRUE(day->caption.contains(texts.get(TextSection::TAB4, 3)));
    EXPECT_TRUE(night->caption.contains(texts.get(TextSection::TAB4, 4)));
    EXPECT_TRUE(day->caption.contains(texts.get(TextSection::TAB4, 5) + QStringLiteral(" 1")));
    EXPECT_EQ(night->otherValue, QStringLiteral("222"));
    // Pages in tab order: the first number page before the second.
    EXPECT_EQ(day->page, night->page);
    EXPECT_NE(d.back().page, day->page);
    EXPECT_EQ(d.back().name, numberFieldName(20));
}

TEST(ParameterDiff, AFieldTheFirmwareLacksCountsAsEmptyOnThatSide) {
    const Texts texts;
    const QString prefix = QStringLiteral("Edit158");
    ASSERT_EQ(findField(prefix)->firmware, FirmwareCondition::Prefix);
    ParameterSet a;
    ParameterSet b;
    a.setVisible(prefix, true);
    b.setVisible(prefix, false);
    EXPECT_TRUE(diffParameters(a, b, texts).empty()) << "empty and absent are no difference";

    a.setText(prefix, QStringLiteral("12"));
    b.setText(prefix, QStringLiteral("12")); // left over, but not on this unit
    auto d = diffParameters(a, b, texts);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_TRUE(d[0].thisAvailable);
    EXPECT_FALSE(d[0].otherAvailable);
    EXPECT_EQ(d[0].thisValue, QStringLiteral("12"));
    EXPECT_TRUE(d[0].otherValue.isEmpty());

    // Hidden on both sides: nothing to compare, whatever is left in the text.
    a.setVisible(prefix, false);
    b.setText(prefix, QStringLiteral("99"));
    EXPECT_TRUE(diffParameters(a, b, texts).empty());
}
