// The manual's generator against hand-made records: what it refuses to read,
// prose that does not cover the DLL, and a committed reference that is stale.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files.h"
#include "generate.h"
#include "png/png.h"

namespace {

using namespace manual;

void sampleMethod() {}

// A small class with one of each item, in records of its own that a test may
// break.
struct SampleRecord {
    const char* entries[2] = {"=#1", "=#2"};
    PropertyDefinition properties[1] = {
        {"Appearance", "Facing", "Integer", 1, PLUGIN_DIRECT_ACCESS, PLUGIN_DIRECT_ACCESS, 4, 0, 2, entries}};
    MethodDefinition methods[1] = {{reinterpret_cast<const void*>(&sampleMethod), nullptr, "AddRow(text As String)"}};
    EventDefinition events[1] = {{"MouseDown(X As Integer, Y As Integer) As Boolean", 0}};
    ControlDefinition record{};
    SampleRecord() {
        record.name = "Sample";
        record.defaultWidth = 12;
        record.defaultHeight = 10;
        record.properties = properties;
        record.propertyCount = 1;
        record.methods = methods;
        record.methodCount = 1;
        record.events = events;
        record.eventCount = 1;
    }
};

// The prose that covers SampleRecord, block by block.
std::vector<std::string> sampleProse() {
    return {"@intro\nAbout.",
            "@reading\nHow.",
            "@demo\nThe form.",
            "@class Sample",
            "@use Showing a sample.",
            "@purpose\nA sample.",
            "@property Facing\nWhere it points.",
            "@value Facing 0 right",
            "@value Facing 1 left",
            "@method AddRow\nAdds a row.",
            "@bad-input AddRow\nNone.",
            "@event MouseDown\nOn a press.",
            "@answer MouseDown\nTrue takes the click.",
            "@contrast\nColours."};
}

std::string joinBlocks(const std::vector<std::string>& blocks) {
    std::string text;
    for (const std::string& b : blocks) text += b + "\n";
    return text;
}

std::vector<std::string> without(std::vector<std::string> blocks, const std::string& start) {
    for (size_t i = 0; i < blocks.size(); ++i)
        if (blocks[i].compare(0, start.size(), start) == 0) blocks.erase(blocks.begin() + long(i));
    return blocks;
}

std::vector<std::string> with(std::vector<std::string> blocks, const std::string& block) {
    blocks.push_back(block);
    return blocks;
}

std::string allOf(const std::vector<std::string>& messages) {
    std::string text;
    for (const std::string& m : messages) text += m + "\n";
    return text;
}

// ---- reading the records --------------------------------------------------------

TEST(ManualReader, ReadsNamesTypesEntriesAndDeclarations) {
    SampleRecord sample;
    std::vector<ClassRecord> classes;
    std::string error;
    ASSERT_TRUE(readClasses({&sample.record}, &classes, &error)) << error;
    ASSERT_EQ(classes.size(), 1u);
    const ClassRecord& c = classes[0];
    EXPECT_EQ(c.name, "Sample");
    ASSERT_EQ(c.properties.size(), 1u);
    EXPECT_EQ(c.properties[0].group, "Appearance");
    EXPECT_TRUE(c.properties[0].readDirect && c.properties[0].writtenDirect);
    EXPECT_EQ(c.properties[0].entries, (std::vector<std::string>{"=#1", "=#2"}));
    ASSERT_EQ(c.methods.size(), 1u);
    EXPECT_EQ(c.methods[0].name, "AddRow");
    EXPECT_TRUE(c.methods[0].hasParameters);
    ASSERT_EQ(c.events.size(), 1u);
    EXPECT_EQ(c.events[0].name, "MouseDown");
    EXPECT_TRUE(c.events[0].boolean);
}

TEST(ManualReader, RefusesARecordItCannotReadNamingClassAndItem) {
    struct Case {
        std::function<void(SampleRecord&)> breakIt;
        std::string message;
    };
    const Case cases[] = {
        {[](SampleRecord& s) { s.entries[1] = nullptr; }, "Sample: property Facing: enumeration entry 1 is null"},
        {[](SampleRecord& s) { s.methods[0].declaration = nullptr; }, "Sample: method 1 has no declaration"},
        {[](SampleRecord& s) { s.events[0].declaration = ""; }, "Sample: event 1 has no declaration"},
        {[](SampleRecord& s) { s.methods[0].declaration = "AddRow(text As String"; },
         "Sample: method 1 has the declaration \"AddRow(text As String\", which cannot be read"},
        {[](SampleRecord& s) { s.properties[0].name = nullptr; }, "Sample: property 1 has no name"},
        {[](SampleRecord& s) { s.properties[0].type = "Float"; },
         "Sample: property Facing has the type \"Float\", which is none of Integer, Boolean, String, Picture"},
        {[](SampleRecord& s) { s.properties[0].enumEntries = nullptr; },
         "Sample: property Facing: 2 enumeration entries but no table"},
        {[](SampleRecord& s) { s.record.name = nullptr; }, "class 1 has no name"},
    };
    for (const Case& c : cases) {
        SampleRecord sample;
        c.breakIt(sample);
        std::vector<ClassRecord> classes;
        std::string error;
        EXPECT_FALSE(readClasses({&sample.record}, &classes, &error)) << c.message;
        EXPECT_EQ(error, c.message);
    }
}

// ---- the prose ----------------------------------------------------------------------

TEST(ManualProse, RefusesMalformedProseNamingTheLine) {
    struct Case {
        std::vector<std::string> blocks;
        std::string message;
    };
    const std::vector<std::string> good = sampleProse();
    const Case cases[] = {
        {with(good, "@value Facing x left"), "prose.txt:25: @value Facing x: the value is not a number"},
        {with(good, "@property Facing\nAgain."),
         "prose.txt:25: a second @property Facing for Sample (the first is on line 11)"},
        {with(good, "@colour Facing\nRed."), "prose.txt:25: unknown block @colour"},
        {with(good, "@event Up\n"), "prose.txt:25: @event Up has no text"},
        {with({"@property Facing\nWhere."}, "@intro\nAbout."), "prose.txt:1: @property before the first @class"},
        {without(good, "@demo"), "prose.txt:1: no @demo"},
        {without(good, "@contrast"), "prose.txt:1: no @contrast"},
    };
    for (const Case& c : cases) {
        Prose prose;
        std::string error;
        EXPECT_FALSE(parseProse(joinBlocks(c.blocks), "prose.txt", &prose, &error)) << c.message;
        EXPECT_EQ(error, c.message);
    }
}

TEST(ManualProse, NamesEveryItemThatTheDllOrTheProseLacks) {
    struct Case {
        std::vector<std::string> blocks;
        std::string problem;
    };
    const std::vector<std::string> good = sampleProse();
    const Case cases[] = {
        {without(good, "@property Facing"), "prose.txt: Sample lacks @property Facing"},
        {without(good, "@value Facing 1"), "prose.txt: Sample lacks @value Facing 1"},
        {without(good, "@bad-input AddRow"), "prose.txt: Sample lacks @bad-input AddRow"},
        {without(good, "@answer MouseDown"), "prose.txt: Sample lacks @answer MouseDown"},
        {with(good, "@value Facing 2 down"), "prose.txt:25: @value Facing 2: Facing has 2 entries"},
        {with(good, "@property Colour\nRed."), "prose.txt:25: @property Colour: Sample registers no Colour"},
        {with(good, "@class Other\n@use Nothing."), "prose.txt:25: @class Other: the DLL registers no such class"},
    };
    SampleRecord sample;
    std::vector<ClassRecord> classes;
    std::string error;
    ASSERT_TRUE(readClasses({&sample.record}, &classes, &error)) << error;
    Prose complete;
    ASSERT_TRUE(parseProse(joinBlocks(good), "prose.txt", &complete, &error)) << error;
    EXPECT_TRUE(coverageProblems(classes, complete, "prose.txt").empty());
    for (const Case& c : cases) {
        Prose prose;
        ASSERT_TRUE(parseProse(joinBlocks(c.blocks), "prose.txt", &prose, &error)) << error;
        const std::vector<std::string> problems = coverageProblems(classes, prose, "prose.txt");
        EXPECT_EQ(problems, std::vector<std::string>{c.problem}) << allOf(problems);
    }
}

// ---- the two forms -------------------------------------------------------------------

TEST(ManualDocument, WritesTheProseMarksInBothForms) {
    struct Case {
        std::string prose;
        std::string markdown;
        std::string html;
    };
    const Case cases[] = {
        {"Sets `Value` to *True*.", "Sets `Value` to *True*.\n", "<p>Sets <code>Value</code> to <em>True</em>.</p>"},
        {"See [BevelButton](#BevelButton).", "See [BevelButton](#bevelbutton).\n",
         "<p>See <a href=\"#BevelButton\">BevelButton</a>.</p>"},
        {"A & B < `a<b`", "A & B < `a<b`\n", "<p>A &amp; B &lt; <code>a&lt;b</code></p>"},
        {"One\nline.\n\n- first\n  item\n- second", "One line.\n\n- first item\n- second\n",
         "<p>One line.</p>\n<ul>\n<li>first item</li>\n<li>second</li>\n</ul>"},
    };
    for (const Case& c : cases) {
        Document document;
        addProse(document, c.prose);
        EXPECT_EQ(toMarkdown(document), c.markdown);
        std::string html;
        std::string error;
        ASSERT_TRUE(toHtml(document, "T", {}, &html, &error)) << error;
        EXPECT_NE(html.find("<body>\n" + c.html + "\n</body>"), std::string::npos) << html;
    }
}

// ---- generating --------------------------------------------------------------------

constexpr int kPictureWidth = 4;
constexpr int kPictureHeight = 2;

// The sample class with its values and one picture section, or whatever a
// test makes of them.
struct FakeSources : Sources {
    SampleRecord sample;
    std::vector<SectionPicture> sections{{"Sample",
                                          "Sample: states",
                                          {"one", "two"},
                                          "",
                                          kPictureWidth,
                                          kPictureHeight,
                                          std::vector<uint32_t>(kPictureWidth* kPictureHeight, 0xC0C0C0)}};
    std::vector<const ControlDefinition*> records() override { return {&sample.record}; }
    bool defaults(const ClassRecord&, ClassDefaults* d, std::string*) override {
        (*d)["Facing"].integer = 1;
        return true;
    }
    bool release(std::string*) override { return true; }
    bool pictures(std::vector<SectionPicture>* p, std::string*) override {
        *p = sections;
        return true;
    }
    std::vector<ContrastColour> contrast{{"Frame", 0x000000, "COLOR_BTNTEXT"}};
    std::vector<ContrastColour> contrastColours() override { return contrast; }
};

// A fresh docs folder, with the demo's picture that the overview shows, and
// a folder for the page.
class ManualGenerate : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "manual-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(makeFolder(root_));
        ASSERT_TRUE(makeFolder(docs()));
        const uint32_t pixel = 0x808080;
        ASSERT_TRUE(pluginhost::writePng(docs() + "/" + kOverviewPicture, &pixel, 1, 1));
        options_.docs = docs();
        options_.html = root_ + "/build/Manual.html";
        options_.proseText = joinBlocks(sampleProse());
        options_.proseSource = "prose.txt";
    }
    void TearDown() override {
        for (const std::string& folder :
             {docs() + "/" + kPictureFolder, docs(), root_ + "/build/" + kPagePictureFolder, root_ + "/build"}) {
            for (const std::string& name : filesEndingIn(folder, "")) removeFile(folder + "/" + name);
            RemoveDirectoryA(folder.c_str());
        }
        RemoveDirectoryA(root_.c_str());
    }
    std::string docs() const { return root_ + "/docs"; }
    std::string picture() const { return docs() + "/" + pictureFile("Sample: states"); }
    std::vector<std::string> docsFiles() const {
        std::vector<std::string> files = filesEndingIn(docs(), "");
        for (const std::string& name : filesEndingIn(docs() + "/" + kPictureFolder, ""))
            files.push_back(std::string(kPictureFolder) + "/" + name);
        return files;
    }
    Outcome run(Sources& sources, bool check, std::vector<std::string>* messages) {
        Options options = options_;
        options.check = check;
        return generate(sources, options, messages);
    }

    std::string root_;
    Options options_;
};

TEST_F(ManualGenerate, WritesNothingWhenItCannotMakeTheReference) {
    struct Case {
        std::function<void(FakeSources&, Options&)> spoil;
        std::string message;
    };
    const Case cases[] = {
        {[](FakeSources& s, Options&) { s.sample.entries[1] = nullptr; },
         "cannot read the registered records: Sample: property Facing: enumeration entry 1 is null"},
        {[](FakeSources& s, Options&) { s.sample.methods[0].declaration = nullptr; },
         "cannot read the registered records: Sample: method 1 has no declaration"},
        {[](FakeSources&, Options& o) { o.proseText = joinBlocks(without(sampleProse(), "@property")); },
         "prose.txt: Sample lacks @property Facing"},
        {[](FakeSources& s, Options&) { s.contrast.clear(); }, "no colours for the high-contrast setting"},
    };
    for (const Case& c : cases) {
        FakeSources sources;
        c.spoil(sources, options_);
        std::vector<std::string> messages;
        EXPECT_EQ(run(sources, false, &messages), kFailed) << c.message;
        EXPECT_NE(allOf(messages).find(c.message), std::string::npos) << allOf(messages);
        EXPECT_EQ(docsFiles(), std::vector<std::string>{kOverviewPicture});
        std::string page;
        EXPECT_FALSE(readFile(options_.html, &page));
        options_.proseText = joinBlocks(sampleProse());
    }
}

TEST_F(ManualGenerate, CheckNamesWhatDiffersFromTheDll) {
    FakeSources sources;
    std::vector<std::string> messages;
    ASSERT_EQ(run(sources, false, &messages), kCurrent) << allOf(messages);
    ASSERT_EQ(run(sources, true, &messages), kCurrent) << allOf(messages);
    struct Case {
        std::function<void(FakeSources&)> change;
        std::string message;
    };
    const std::string markdown = docs() + "/" + kMarkdownFile;
    const Case cases[] = {
        {[](FakeSources& s) { s.sample.properties[0].group = "Behavior"; },
         markdown + " differs from what the DLL yields from line"},
        {[](FakeSources& s) { s.sections[0].pixels[5] = 0xFF0000; },
         picture() + " is missing or differs from what the DLL draws"},
        {[](FakeSources& s) { s.sections[0].title = "Sample: looks"; },
         docs() + "/manual/Sample-states.png is no picture of the reference"},
    };
    for (const Case& c : cases) {
        FakeSources changed;
        c.change(changed);
        messages.clear();
        EXPECT_EQ(run(changed, true, &messages), kStale) << c.message;
        EXPECT_NE(allOf(messages).find(c.message), std::string::npos) << allOf(messages);
    }
    ASSERT_TRUE(removeFile(picture()));
    messages.clear();
    EXPECT_EQ(run(sources, true, &messages), kStale);
    EXPECT_NE(allOf(messages).find(picture() + " is missing"), std::string::npos) << allOf(messages);
}

// Every browser of Windows 2000 and XP shows a picture from a file; none
// from a data: URI. A check, once current, writes the page too.
TEST_F(ManualGenerate, PageTakesItsPicturesFromFilesBesideIt) {
    FakeSources sources;
    std::vector<std::string> messages;
    ASSERT_EQ(run(sources, false, &messages), kCurrent) << allOf(messages);
    const std::string pictures = root_ + "/build/" + kPagePictureFolder;
    ASSERT_TRUE(replaceFile(pictures + "/stale.png", "old"));
    ASSERT_TRUE(removeFile(options_.html));
    ASSERT_EQ(run(sources, true, &messages), kCurrent) << allOf(messages);
    std::string page;
    ASSERT_TRUE(readFile(options_.html, &page));
    EXPECT_NE(page.find("<img src=\"Manual/Sample-states.png\" alt=\"Sample: states: one, two\">"), std::string::npos);
    EXPECT_NE(page.find("<img src=\"Manual/demo.png\""), std::string::npos);
    EXPECT_EQ(page.find("data:"), std::string::npos);
    EXPECT_EQ(filesEndingIn(pictures, ""), (std::vector<std::string>{"Sample-states.png", "demo.png"}));
    std::string committed, beside;
    ASSERT_TRUE(readFile(picture(), &committed));
    ASSERT_TRUE(readFile(pictures + "/Sample-states.png", &beside));
    EXPECT_EQ(beside, committed);
    EXPECT_NE(page.find("<td>Frame</td><td>black</td><td><code>COLOR_BTNTEXT</code></td>"), std::string::npos);
}

}  // namespace
