#include "params/ParameterDiff.h"
#include "params/FieldCodings.h"
#include "params/FieldTable.h"
#include "texts/Texts.h"
#include <algorithm>

namespace lumo {

namespace {

struct PageOf {
    const PageDef* page = nullptr;
    int order = 0; // tab order; parameters on no page sort last
};

PageOf pageOfFrame(const char* frameName) {
    const int none = int(pageTable().size());
    if (!frameName)
        return {nullptr, none};
    const FrameDef* frame = findFrame(QString::fromLatin1(frameName));
    if (!frame)
        return {nullptr, none};
    const auto& pages = pageTable();
    for (size_t i = 0; i < pages.size(); ++i)
        if (qstrcmp(pages[i].name, frame->page) == 0)
            return {&pages[i], int(i)};
    return {nullptr, none};
}

QString frameCaption(const char* frameName, const Texts& texts) {
    const FrameDef* frame = frameName ? findFrame(QString::fromLatin1(frameName)) : nullptr;
    return frame && frame->caption ? texts.get(*frame->caption) : QString();
}

QString fieldCaption(const FieldDef& f, const Texts& texts) {
    QString caption = rowCaption(f, texts);
    // Day and night rows share their button captions: the frame tells them apart.
    if (f.memory > 0)
        caption += QStringLiteral(" (") + frameCaption(f.place.frame, texts) + QLatin1Char(')');
    if (caption.isEmpty())
        caption = QString::fromLatin1(f.name);
    return caption;
}

// A field hidden because the firmware lacks it holds nothing, whatever text is left in it; the
// loaders differ in whether they show an empty one, so that alone is no difference.
bool sameValue(const FieldDef& f, const ParameterSet& a, const ParameterSet& b) {
    const QString name = QString::fromLatin1(f.name);
    if (f.kind == FieldKind::Check)
        return a.isChecked(name) == b.isChecked(name);
    const QString x = a.isVisible(name) ? a.text(name) : QString();
    const QString y = b.isVisible(name) ? b.text(name) : QString();
    return x == y;
}

QString optionCaption(const OptionGroupDef& g, const QString& button, const Texts& texts) {
    for (const OptionDef& o : g.options)
        if (button == QLatin1String(o.button))
            return texts.get(o.caption) + QString::fromLatin1(o.captionSuffix);
    return button;
}

struct Sorted {
    int page;
    ParameterDifference difference;
};

} // namespace

std::vector<ParameterDifference> diffParameters(const ParameterSet& mine, const ParameterSet& other,
                                                const Texts& texts) {
    std::vector<Sorted> found;
    auto add = [&](const PageOf& page, ParameterDifference d) {
        d.page = page.page ? QString::fromLatin1(page.page->name) : QString();
        d.pageCaption = page.page ? texts.get(page.page->caption) +
                                        QString::fromLatin1(page.page->captionSuffix)
                                  : QString();
        found.push_back({page.order, std::move(d)});
    };

    for (const FieldDef& f : fieldTable()) {
        if (sameValue(f, mine, other))
            continue;
        const QString name = QString::fromLatin1(f.name);
        ParameterDifference d;
        d.name = name;
        d.caption = fieldCaption(f, texts);
        d.thisAvailable = mine.isVisible(name);
        d.otherAvailable = other.isVisible(name);
        if (d.thisAvailable)
            d.thisValue = displayText(f, mine, texts);
        if (d.otherAvailable)
            d.otherValue = displayText(f, other, texts);
        add(pageOfFrame(f.place.frame), std::move(d));
    }

    for (const OptionGroupDef& g : optionGroups()) {
        const QString first = QString::fromLatin1(g.options.front().button);
        const QString a = mine.checkedOption(first);
        const QString b = other.checkedOption(first);
        if (a == b)
            continue;
        ParameterDifference d;
        d.name = QString::fromLatin1(g.groupBox);
        d.caption = frameCaption(g.groupBox, texts);
        if (d.caption.isEmpty())
            d.caption = d.name;
        d.thisValue = optionCaption(g, a, texts);
        d.otherValue = optionCaption(g, b, texts);
        add(pageOfFrame(g.groupBox), std::move(d));
    }

    std::stable_sort(found.begin(), found.end(),
                     [](const Sorted& x, const Sorted& y) { return x.page < y.page; });
    std::vector<ParameterDifference> out;
    out.reserve(found.size());
    for (Sorted& s : found)
        out.push_back(std::move(s.difference));
    return out;
}

} // namespace lumo
