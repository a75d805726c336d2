#include "about_pages.h"

#include "kestrova/kit/texts.h"
#include "module_versions.h"
#include "overview/two_line_item.h"
#include "screen_texts.h"
#include "section_list/row_drawing.h"
#include "section_list/section_list.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr uint32_t kProgramIcon = 100;

// A row that only tells: a title, a line under it and an icon.
class InfoRow final : public TwoLineItem {
  public:
    InfoRow(SectionList& list, std::string title, std::string line, const Icon* icon)
        : TwoLineItem(list), title_(std::move(title)), line_(std::move(line)), icon_(icon) {}
    void activate() override {}
    void contextMenu(int, int) override {}

  protected:
    std::string title() const override { return title_; }
    std::string line() const override { return line_; }
    const Icon* icon() const override { return icon_; }

  private:
    std::string title_;
    std::string line_;
    const Icon* icon_;
};

class InfoList final : public SectionList {
  public:
    static std::unique_ptr<InfoList> create(HWND parent, std::string_view title) {
        std::unique_ptr<InfoList> list(new InfoList);
        if (!list->createList(parent, title)) return nullptr;
        return list;
    }
    void add(std::string_view sectionTitle, std::string title, std::string line, const Icon* icon) {
        auto section = this->section(sectionTitle, sectionTitle);
        section->rows.push_back(std::make_unique<InfoRow>(*this, std::move(title), std::move(line), icon));
    }
    int iconSize() const { return metrics().overviewIconSize(); }

  private:
    InfoList() = default;
};

class ListPage final : public ScreenPage {
  public:
    ListPage(std::unique_ptr<InfoList> list, std::string title)
        : list_(std::move(list)), title_(std::move(title)) {}
    void show() override { showWindow(list_->hwnd(), SW_SHOW); }
    void hide() override { showWindow(list_->hwnd(), SW_HIDE); }
    void place(const Rect& area) override { moveWindow(list_->hwnd(), area); }
    std::string title() const override { return title_; }
    InfoList& list() { return *list_; }

  private:
    std::unique_ptr<InfoList> list_;
    std::string title_;
};

void fillModules(InfoList& list, const std::filesystem::path& program) {
    const Icon* icon = programIcon(kProgramIcon, list.iconSize());
    for (const ModuleVersion& module : moduleVersions(program, program.parent_path()))
        list.add({}, module.name,
                 module.built ? formatBuildTime(*module.built) : kit::text(texts::kUnknownVersion), icon);
}

struct Credit {
    uint32_t section;
    uint32_t name;
    uint32_t role;
};

// The credits' texts, by their numbers in the string table.
constexpr Credit kCredits[] = {
    {1330, 1332, 1333}, {1330, 1334, 1335}, {1331, 1336, 1337}, {1331, 1338, 1339},
    {1331, 1340, 1341}, {1331, 1342, 1343}, {1331, 1344, 1345}, {1331, 1346, 1347},
};

void fillCredits(InfoList& list) {
    const Icon* icon = programIcon("CONTACT", list.iconSize());
    for (const Credit& credit : kCredits)
        list.add(kit::text(credit.section), kit::text(credit.name), kit::text(credit.role), icon);
}

std::unique_ptr<ListPage> makeListPage(HWND screen, uint32_t title) {
    auto list = InfoList::create(screen, kit::text(title));
    if (!list) return nullptr;
    return std::make_unique<ListPage>(std::move(list), kit::text(title));
}

} // namespace

std::vector<std::unique_ptr<ScreenPage>> makeAboutPages(HWND screen, const std::filesystem::path& program) {
    std::vector<std::unique_ptr<ScreenPage>> pages;
    if (auto modules = makeListPage(screen, texts::kModulesPage)) {
        fillModules(modules->list(), program);
        modules->list().layOut();
        pages.push_back(std::move(modules));
    }
    if (auto credits = makeListPage(screen, texts::kCreditsPage)) {
        fillCredits(credits->list());
        credits->list().layOut();
        pages.push_back(std::move(credits));
    }
    return pages;
}

} // namespace kestrova::shell
