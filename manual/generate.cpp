#include "generate.h"

#include <cctype>
#include <set>

#include "files.h"
#include "png/png.h"

namespace manual {

namespace {

constexpr const char kPictureSuffix[] = ".png";
// Lines of the committed reference shown around its first difference.
constexpr size_t kLinesShown = 3;

struct Made {
    std::string markdown;
    std::vector<SectionPicture> pictures;
    std::vector<std::string> pngs;  // each picture's file bytes, in the same order
    std::vector<bool> changed;      // whether the committed picture differs
    std::string html;
    std::map<std::string, std::string> pagePictures;  // the page's pictures by their file from the page
};

std::string path(const Options& o, const std::string& file) { return o.docs + "/" + file; }

// The line where two texts first differ, counted from 1, and the committed
// lines there.
std::string firstDifference(const std::string& made, const std::string& committed) {
    size_t i = 0;
    while (i < made.size() && i < committed.size() && made[i] == committed[i]) ++i;
    size_t line = 1;
    size_t lineStart = 0;
    for (size_t j = 0; j < i; ++j) {
        if (committed[j] == '\n') {
            ++line;
            lineStart = j + 1;
        }
    }
    const auto excerpt = [&](const std::string& text) {
        size_t end = lineStart;
        for (size_t n = 0; n < kLinesShown && end < text.size(); ++n) {
            const size_t next = text.find('\n', end);
            end = next == std::string::npos ? text.size() : next + 1;
        }
        return lineStart < text.size() ? text.substr(lineStart, end - lineStart) : std::string("(the end)\n");
    };
    return "from line " + std::to_string(line) + "; the DLL yields\n" + excerpt(made) + "where the file has\n" +
           excerpt(committed);
}

bool samePixels(const SectionPicture& made, const pluginhost::Picture& committed) {
    return made.width == committed.width && made.height == committed.height && made.pixels == committed.pixels;
}

// Reads the prose, the records, the defaults and the pictures; every
// problem found goes to messages.
bool collect(Sources& sources, const Options& options, ReferenceInputs* in, std::vector<std::string>* messages) {
    std::string error;
    if (!parseProse(options.proseText, options.proseSource, &in->prose, &error)) {
        messages->push_back(error);
        return false;
    }
    in->proseSource = options.proseSource;
    in->overviewPicture = kOverviewPicture;
    in->contrastColours = sources.contrastColours();
    if (in->contrastColours.empty()) {
        messages->push_back("no colours for the high-contrast setting");
        return false;
    }
    if (!readClasses(sources.records(), &in->classes, &error)) {
        messages->push_back("cannot read the registered records: " + error);
        return false;
    }
    const std::vector<std::string> problems = coverageProblems(in->classes, in->prose, options.proseSource);
    if (!problems.empty()) {
        messages->insert(messages->end(), problems.begin(), problems.end());
        return false;
    }
    for (const ClassRecord& c : in->classes) {
        ClassDefaults defaults;
        if (!sources.defaults(c, &defaults, &error)) {
            messages->push_back(c.name + ": " + error);
            return false;
        }
        for (const PropertyRecord& p : c.properties) {
            if (!defaults.count(p.name)) {
                messages->push_back(c.name + ": no value of " + p.name + " after construct");
                return false;
            }
        }
        in->defaults[c.name] = defaults;
    }
    if (!sources.release(&error)) {
        messages->push_back(error);
        return false;
    }
    if (!sources.pictures(&in->pictures, &error)) {
        messages->push_back("cannot draw the pictures: " + error);
        return false;
    }
    std::set<std::string> files;
    std::set<std::string> shown;
    for (SectionPicture& picture : in->pictures) {
        picture.file = pictureFile(picture.title);
        if (!files.insert(picture.file).second) {
            messages->push_back("two picture sections are named " + picture.file);
            return false;
        }
        shown.insert(picture.className);
    }
    for (const ClassRecord& c : in->classes) {
        if (!shown.count(c.name)) {
            messages->push_back("no picture shows " + c.name);
            return false;
        }
    }
    return true;
}

// The reference in memory: its Markdown, its pictures' files (the
// committed bytes where they show the same pixels, so that an unchanged
// picture keeps its file) and the page.
bool make(const ReferenceInputs& in, const Options& options, Made* made, std::vector<std::string>* messages) {
    const Document document = buildReference(in);
    made->markdown = toMarkdown(document);
    made->pictures = in.pictures;
    std::set<std::string> figures;
    for (const SectionPicture& picture : made->pictures) {
        pluginhost::Picture committed;
        std::string bytes;
        const bool same = pluginhost::readPng(path(options, picture.file), &committed) &&
                          samePixels(picture, committed) && readFile(path(options, picture.file), &bytes);
        if (!same) {
            std::vector<uint8_t> fresh;
            if (!pluginhost::encodePng(picture.pixels.data(), picture.width, picture.height, &fresh)) {
                messages->push_back("cannot encode " + picture.file);
                return false;
            }
            bytes.assign(fresh.begin(), fresh.end());
        }
        made->pngs.push_back(bytes);
        made->changed.push_back(!same);
        figures.insert(picture.file);
        made->pagePictures[pagePicture(picture.file)] = bytes;
    }
    std::string overview;
    if (!readFile(path(options, in.overviewPicture), &overview)) {
        messages->push_back("cannot read " + path(options, in.overviewPicture));
        return false;
    }
    figures.insert(in.overviewPicture);
    made->pagePictures[pagePicture(in.overviewPicture)] = overview;
    std::string error;
    if (!toHtml(document, kReferenceTitle, figures, &made->html, &error)) {
        messages->push_back("cannot make the page: " + error);
        return false;
    }
    return true;
}

// Pictures in the picture folder that the reference does not show.
std::vector<std::string> strayPictures(const Options& options, const Made& made) {
    std::set<std::string> wanted;
    for (const SectionPicture& picture : made.pictures) wanted.insert(picture.file);
    std::vector<std::string> stray;
    for (const std::string& name : filesEndingIn(path(options, kPictureFolder), kPictureSuffix)) {
        const std::string file = std::string(kPictureFolder) + "/" + name;
        if (!wanted.count(file)) stray.push_back(file);
    }
    return stray;
}

Outcome check(const Options& options, const Made& made, std::vector<std::string>* messages) {
    const std::string markdown = path(options, kMarkdownFile);
    std::string committed;
    if (!readFile(markdown, &committed))
        messages->push_back(markdown + " is missing");
    else if (committed != made.markdown)
        messages->push_back(markdown + " differs from what the DLL yields " +
                            firstDifference(made.markdown, committed));
    for (size_t i = 0; i < made.pictures.size(); ++i) {
        if (made.changed[i])
            messages->push_back(path(options, made.pictures[i].file) +
                                " is missing or differs from what the DLL draws");
    }
    for (const std::string& file : strayPictures(options, made))
        messages->push_back(path(options, file) + " is no picture of the reference");
    if (messages->empty()) return kCurrent;
    messages->push_back("make docs writes the reference afresh");
    return kStale;
}

Outcome write(const Options& options, const Made& made, std::vector<std::string>* messages) {
    const auto fail = [&](const std::string& what) {
        messages->push_back("cannot write " + what);
        return kFailed;
    };
    if (!makeFolder(path(options, kPictureFolder))) return fail(path(options, kPictureFolder));
    std::string committed;
    const std::string markdown = path(options, kMarkdownFile);
    if (!(readFile(markdown, &committed) && committed == made.markdown) && !replaceFile(markdown, made.markdown))
        return fail(markdown);
    for (size_t i = 0; i < made.pictures.size(); ++i) {
        const std::string file = path(options, made.pictures[i].file);
        if (made.changed[i] && !replaceFile(file, made.pngs[i])) return fail(file);
    }
    for (const std::string& file : strayPictures(options, made))
        if (!removeFile(path(options, file))) return fail(path(options, file) + " (to remove it)");
    return kCurrent;
}

// The page and the folder of its pictures beside it, which keeps no other.
Outcome writePage(const Options& options, const Made& made, std::vector<std::string>* messages) {
    const auto fail = [&](const std::string& what) {
        messages->push_back("cannot write " + what);
        return kFailed;
    };
    const std::string folder = folderOf(options.html);
    const std::string beside = folder.empty() ? std::string() : folder + "/";
    const std::string pictures = beside + kPagePictureFolder;
    if ((!folder.empty() && !makeFolder(folder)) || !makeFolder(pictures)) return fail(pictures);
    for (const auto& [file, bytes] : made.pagePictures)
        if (!replaceFile(beside + file, bytes)) return fail(beside + file);
    for (const std::string& name : filesEndingIn(pictures, ""))
        if (!made.pagePictures.count(std::string(kPagePictureFolder) + "/" + name) &&
            !removeFile(pictures + "/" + name))
            return fail(pictures + "/" + name + " (to remove it)");
    if (!replaceFile(options.html, made.html)) return fail(options.html);
    return kCurrent;
}

}  // namespace

std::string pictureFile(const std::string& title) {
    std::string name;
    bool separate = false;
    for (char c : title) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            if (separate && !name.empty()) name += '-';
            name += c;
            separate = false;
        } else {
            separate = true;
        }
    }
    return std::string(kPictureFolder) + "/" + name + kPictureSuffix;
}

Outcome generate(Sources& sources, const Options& options, std::vector<std::string>* messages) {
    ReferenceInputs in;
    Made made;
    if (!collect(sources, options, &in, messages) || !make(in, options, &made, messages)) return kFailed;
    const Outcome outcome = options.check ? check(options, made, messages) : write(options, made, messages);
    if (outcome != kCurrent || options.html.empty()) return outcome;
    return writePage(options, made, messages);
}

}  // namespace manual
