#include "config/SiteConfig.h"

#include "config/PoolFolders.h"
#include "core/Error.h"
#include "core/Numbers.h"
#include "core/TextId.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

// Both file forms are read with pugixml's default options: whitespace-only text between elements,
// comments, processing instructions and the document type are dropped while parsing, so they never
// count as systems or pools of a project file. Other text inside a Project or system element does
// count (as a system or pool without attributes), because every child node of those elements is
// one entry. Entities other than the five predefined ones and character references are left as
// written; nothing is fetched from outside the file.
//
// Names are single-byte (Latin-1) texts everywhere else in the program, while pugixml holds UTF-8.
// A file declared as ISO-8859-1 (what the writer produces) is widened to UTF-8 before parsing and
// every value is narrowed back, so any byte 0x01-0xFF survives a read/write/read cycle. Files in
// UTF-8 (or without a declaration) are narrowed the same way; characters beyond Latin-1 become
// "?", as they would in the single-byte code page, and bytes that are not valid UTF-8 are kept as
// they are rather than failing the whole file.

namespace aql::config {
namespace {

constexpr const char *kRootName = "aqlRemoteConfig";
constexpr const char *kWrittenSiteName = "Velmaro AQL";

// A read problem in plain English; the public readers wrap it into the 20000 error.
struct ReadProblem {
    std::string detail;
};

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char &c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// The encoding named by an XML declaration at the very start of the bytes; "" without one.
std::string declaredEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml") {
        return {};
    }
    const std::string_view decl = bytes.substr(0, bytes.find("?>"));
    std::size_t at = decl.find("encoding");
    if (at == std::string_view::npos) {
        return {};
    }
    at += 8;
    auto skipBlanks = [&] {
        while (at < decl.size() &&
               (decl[at] == ' ' || decl[at] == '\t' || decl[at] == '\r' || decl[at] == '\n')) {
            ++at;
        }
    };
    skipBlanks();
    if (at >= decl.size() || decl[at] != '=') {
        return {};
    }
    ++at;
    skipBlanks();
    if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\'')) {
        return {};
    }
    const char quote = decl[at++];
    const std::size_t end = decl.find(quote, at);
    if (end == std::string_view::npos) {
        return {};
    }
    return lowerAscii(decl.substr(at, end - at));
}

bool isSingleByteEncoding(const std::string &name) {
    // windows-1252 differs from Latin-1 only in 0x80-0x9F, which this program keeps as bytes too.
    static const char *const kNames[] = {"iso-8859-1",   "iso8859-1", "iso_8859-1", "latin1",
                                         "latin-1",      "l1",        "cp819",      "ibm819",
                                         "windows-1252", "cp1252",    "us-ascii",   "ascii"};
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [&](const char *known) { return name == known; });
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

// pugixml's UTF-8 back to the program's single-byte texts.
std::string toLatin1(const char *utf8) {
    std::string out;
    const auto *s = reinterpret_cast<const unsigned char *>(utf8);
    auto continuation = [](unsigned char b) { return b >= 0x80 && b <= 0xBF; };
    while (*s != 0) {
        const unsigned lead = *s;
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++s;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
            high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        bool valid = length > 0 && s[1] >= low && s[1] <= high;
        for (int i = 2; valid && i < length; ++i) {
            valid = continuation(s[i]);
        }
        if (!valid) {
            out += static_cast<char>(lead);
            ++s;
            continue;
        }
        unsigned codePoint = lead & (0xFFu >> (length + 1));
        for (int i = 1; i < length; ++i) {
            codePoint = (codePoint << 6) | (s[i] & 0x3Fu);
        }
        out += codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
        s += length;
    }
    return out;
}

int lineOf(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    int line = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

bool startsWithWideBom(std::string_view bytes) {
    auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
    using namespace std::string_view_literals;
    return starts("\xFF\xFE"sv) || starts("\xFE\xFF"sv) || starts("\x00\x00\xFE\xFF"sv);
}

// The file's bytes; false with the reason in `problem` when there are none to read.
bool readFileBytes(const std::string &path, std::string &bytes, std::string &problem) {
    namespace fs = std::filesystem;
    const fs::path file(path);
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        problem = "the file does not exist";
        return false;
    }
    if (fs::is_directory(file, ec)) {
        problem = "the path names a folder, not a file";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        problem = "the file cannot be opened";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        problem = "the file cannot be read";
        return false;
    }
    return true;
}

// Parses `bytes` into doc in the encoding they declare; false with the reason in `problem`, which
// names the line of the fault where the text can be counted in lines.
bool parseXml(const std::string &bytes, pugi::xml_document &doc, std::string &problem) {
    std::string text;
    pugi::xml_parse_result result;
    const bool lineNumbers = !startsWithWideBom(bytes);
    if (!lineNumbers) {
        // UTF-16 or UTF-32 with a byte-order mark: pugixml converts it itself.
        result =
            doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
    } else {
        text = isSingleByteEncoding(declaredEncoding(bytes)) ? latin1ToUtf8(bytes) : bytes;
        result =
            doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    }
    if (result) {
        return true;
    }
    problem = "not well-formed XML";
    if (lineNumbers) {
        problem += " at line " +
                   std::to_string(lineOf(
                       text, static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0))));
    }
    problem += ": ";
    problem += result.description();
    return false;
}

// pugixml accepts a fragment of several elements; a document has exactly one root.
bool hasOneRoot(const pugi::xml_document &doc) {
    int roots = 0;
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element) {
            ++roots;
        }
    }
    return roots == 1;
}

// Parses the file at path into doc. On failure returns false with the reason in problem.
bool parseConfigFile(const std::string &path, pugi::xml_document &doc, std::string &problem) {
    std::string bytes;
    if (!readFileBytes(path, bytes, problem) || !parseXml(bytes, doc, problem)) {
        return false;
    }
    if (!hasOneRoot(doc)) {
        problem = "not well-formed XML: more than one root element";
        return false;
    }
    return true;
}

// All text below an element, in document order (what a DOM's "text" gives), without recursion so
// deeply nested input cannot exhaust the stack.
std::string textOf(pugi::xml_node element) {
    std::string out;
    pugi::xml_node node = element.first_child();
    while (node && node != element) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            out += toLatin1(node.value());
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != element && !node.next_sibling()) {
            node = node.parent();
        }
        if (node != element) {
            node = node.next_sibling();
        }
    }
    return out;
}

std::string quoted(const std::string &s) {
    return "\"" + s + "\"";
}

std::string requiredAttribute(pugi::xml_node element, const char *attribute, std::size_t index) {
    const pugi::xml_attribute a = element.attribute(attribute);
    if (!a) {
        throw ReadProblem{"system " + std::to_string(index + 1) + " has no attribute " +
                          quoted(attribute)};
    }
    return toLatin1(a.value());
}

AqlError readerError(const Texts &texts, const std::string &path, const std::string &detail) {
    return AqlError(errc::kApplication, texts(TextId::ConfigFileSource),
                    texts(TextId::ConfigFileUnreadable) + " " + path + "\r\n" + detail);
}

void appendEscaped(std::string &out, const std::string &value) {
    for (char c : value) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // A raw tab or line break would come back as a blank (attribute values are
            // normalised), so control characters are written as references.
            if (b < 0x20) {
                out += "&#" + std::to_string(b) + ";";
            } else {
                out += c;
            }
        }
    }
}

// Adds pool, turning a taken name into a problem that names it.
void addPool(PoolList &pools, std::unique_ptr<Pool> pool) {
    const std::string name = pool->name();
    try {
        pools.add(std::move(pool));
    } catch (const AqlError &e) {
        if (e.number() == errc::kKeyAlreadyPresent) {
            throw ReadProblem{"duplicate name " + quoted(name) + " (letter case is ignored)"};
        }
        throw;
    }
}

// The document's root element, once it has been parsed and carries the expected name.
pugi::xml_node siteRoot(const std::string &path, pugi::xml_document &doc) {
    std::string problem;
    if (!parseConfigFile(path, doc, problem)) {
        throw ReadProblem{problem};
    }
    const pugi::xml_node root = doc.document_element();
    if (std::strcmp(root.name(), kRootName) != 0) {
        throw ReadProblem{"the root element is <" + toLatin1(root.name()) + ">, not <" + kRootName +
                          ">"};
    }
    return root;
}

// Every system element of every managedSystems list, in document order.
std::vector<pugi::xml_node> listedSystems(pugi::xml_node root) {
    std::vector<pugi::xml_node> systems;
    for (pugi::xml_node list : root.children("managedSystems")) {
        for (pugi::xml_node system : list.children("system")) {
            systems.push_back(system);
        }
    }
    return systems;
}

// The site file is the whole list: what the last read left behind goes, including the table rows
// of systems deleted since.
void forgetPreviousSystems(ConfigValues &v, ConfigTargets &t) {
    t.systemList = SystemList{};
    t.mainSelector.clear();
    if (t.configSelector != nullptr) {
        t.configSelector->clear();
    }
    v.tables.clearPools(0, 0);
}

// A site without systems gets one through the configuration window's New action. That action
// writes the file and reloads it, which comes back here: the flag keeps the reload from starting
// another New when the file still lists none.
void createFirstSystem(ConfigValues &v, ConfigTargets &t) {
    if (!t.runNewAction || v.creatingDefaultSystem) {
        return;
    }
    v.creatingDefaultSystem = true;
    try {
        t.runNewAction();
    } catch (const AqlError &e) {
        v.creatingDefaultSystem = false;
        throw ReadProblem{"creating the first system failed: " + e.description()};
    } catch (...) {
        v.creatingDefaultSystem = false;
        throw;
    }
    v.creatingDefaultSystem = false;
}

// The system at `index` (from 0) of the file: a pool, a table row, an entry of both selectors and
// of the system list.
void addListedSystem(ConfigValues &v, ConfigTargets &t, pugi::xml_node system, std::size_t index) {
    const std::string name = requiredAttribute(system, "name", index);
    const std::string addressText = requiredAttribute(system, "address", index);
    const std::string ip = requiredAttribute(system, "ipaddress", index);
    const std::string port = requiredAttribute(system, "port", index);
    std::int32_t address = 0;
    try {
        address = textToInt32(addressText);
    } catch (const AqlError &e) {
        throw ReadProblem{
            "address " + quoted(addressText) + " of system " + quoted(name) +
            (e.number() == errc::kOverflow ? " is out of range" : " is not a number")};
    }
    const int row = static_cast<int>(index);
    auto pool = std::make_unique<Pool>();
    pool->init(v.siteName, name, address, ip, port, row + 1);
    v.tables.setPoolAttribute(0, 0, row, ProjectTables::kNameAttribute, name);
    v.tables.setPoolAttribute(0, 0, row, ProjectTables::kIpAttribute, ip);
    v.tables.setPoolAttribute(0, 0, row, ProjectTables::kPortAttribute, port);
    addPool(t.pools, std::move(pool));
    t.mainSelector.push_back(name);
    if (t.configSelector != nullptr) {
        t.configSelector->push_back(name);
    }
    t.systemList.append(name, ip, port);
}

void readSiteFile(const std::string &path, ConfigValues &v, ConfigTargets &t) {
    pugi::xml_document doc;
    const pugi::xml_node root = siteRoot(path, doc);
    const pugi::xml_node siteNode = root.child("siteName");
    if (!siteNode) {
        throw ReadProblem{"element <siteName> is missing"};
    }
    v.siteName = textOf(siteNode);

    const std::vector<pugi::xml_node> systems = listedSystems(root);
    forgetPreviousSystems(v, t);
    if (systems.empty()) {
        createFirstSystem(v, t);
    }
    for (std::size_t i = 0; i < systems.size(); ++i) {
        addListedSystem(v, t, systems[i], i);
    }
}

void fillPoolsFromTables(const ConfigValues &v, ConfigTargets &t) {
    const ProjectTables &tables = v.tables;
    if (tables.projectLast > ProjectTables::kLastProject) {
        throw ReadProblem{"the file has " + std::to_string(tables.projectLast + 1) +
                          " projects; at most " + std::to_string(ProjectTables::kLastProject + 1) +
                          " are possible"};
    }
    std::int32_t number = 0;
    for (int p = 0; p <= tables.projectLast; ++p) {
        if (tables.systemLast(p) > ProjectTables::kLastSystem) {
            throw ReadProblem{"project " + quoted(tables.projectNames[p]) + " has " +
                              std::to_string(tables.systemLast(p) + 1) + " systems; at most " +
                              std::to_string(ProjectTables::kLastSystem + 1) + " are possible"};
        }
        for (int s = 0; s <= tables.systemLast(p); ++s) {
            for (int n = 0; n <= tables.poolLast(p, s); ++n) {
                const std::string &name =
                    tables.poolAttribute(p, s, n, ProjectTables::kNameAttribute);
                auto pool = std::make_unique<Pool>();
                pool->init(v.projectCode, name, 1,
                           tables.poolAttribute(p, s, n, ProjectTables::kIpAttribute),
                           tables.poolAttribute(p, s, n, ProjectTables::kPortAttribute), ++number);
                addPool(t.pools, std::move(pool));
                t.mainSelector.push_back(name);
            }
        }
    }
}

// The root of a project file, or a null node (which has no children) when the file cannot be
// read; `problem` says why, and is emptied when the file could be read.
pugi::xml_node projectRoot(const std::string &path, pugi::xml_document &doc, std::string &problem) {
    problem.clear();
    std::string why;
    if (!parseConfigFile(path, doc, why)) {
        problem = why;
        return {};
    }
    if (std::strcmp(doc.document_element().name(), kRootName) != 0) {
        problem = "the root element is <" + toLatin1(doc.document_element().name()) + ">, not <" +
                  kRootName + ">";
        return {};
    }
    return doc.document_element();
}

// Fills the project tables from the Project elements one level at a time. Every child node of a
// Project is a system and every child node of a system a pool; the tables keep what fits.
struct ProjectReading {
    ProjectTables &tables;
    const std::filesystem::path &programFolder;
    int running = 0; // all pools read so far, over every project and system

    void readProject(pugi::xml_node project, int p) {
        if (pugi::xml_attribute name = project.attribute("projectname")) {
            tables.projectNames[static_cast<std::size_t>(p)] = toLatin1(name.value());
        }
        const std::vector<pugi::xml_node> systems(project.begin(), project.end());
        tables.setSystemLast(p, static_cast<int>(systems.size()) - 1);
        const int systemCount =
            std::min<int>(static_cast<int>(systems.size()), ProjectTables::kLastSystem + 1);
        for (int s = 0; s < systemCount; ++s) {
            readSystem(systems[static_cast<std::size_t>(s)], p, s);
        }
    }

    void readSystem(pugi::xml_node system, int p, int s) {
        if (pugi::xml_attribute name = system.attribute("systemname")) {
            tables.systemNames[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)] =
                toLatin1(name.value());
        }
        const std::vector<pugi::xml_node> pools(system.begin(), system.end());
        tables.setPoolLast(p, s, static_cast<int>(pools.size()) - 1);
        for (int n = 0; n < static_cast<int>(pools.size()); ++n) {
            readPool(pools[static_cast<std::size_t>(n)], p, s, n);
        }
    }

    // A pool's attributes go into its row in document order, whatever their names, up to the
    // pool-code column, which is then overwritten with the pool's own code.
    void readPool(pugi::xml_node pool, int p, int s, int n) {
        int k = 0;
        for (pugi::xml_attribute a : pool.attributes()) {
            if (k > ProjectTables::kPoolCodeAttribute) {
                break;
            }
            tables.setPoolAttribute(p, s, n, k++, toLatin1(a.value()));
        }
        makeDataFolders(p, s, n);
        tables.setPoolAttribute(p, s, n, ProjectTables::kRunningIndexAttribute,
                                std::to_string(running));
        tables.setPoolAttribute(p, s, n, ProjectTables::kPoolCodeAttribute,
                                padded(p, 2) + padded(s, 2) + padded(n, 2));
        ++running;
    }

    void makeDataFolders(int p, int s, int n) const {
        try {
            makePoolFolders(
                programFolder, tables.projectNames[static_cast<std::size_t>(p)],
                tables.systemNames[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)],
                tables.poolAttribute(p, s, n, ProjectTables::kNameAttribute));
        } catch (const std::exception &) {
            // Folders are a convenience for the exports; a pool without them still works.
        }
    }
};

} // namespace

// ---- ProjectTables ----------------------------------------------------------------------------

ProjectTables::ProjectTables()
    : projectNames(kLastProject + 1),
      systemNames(kLastProject + 1, std::vector<std::string>(kLastSystem + 1)),
      m_systemLast(kLastProject + 1, -1), m_poolLast((kLastProject + 1) * (kLastSystem + 1), -1),
      m_pools((kLastProject + 1) * (kLastSystem + 1)) {}

std::size_t ProjectTables::systemSlot(int p, int s) const {
    if (p < 0 || p > kLastProject || s < 0 || s > kLastSystem) {
        throw standardError(errc::kSubscriptOutOfRange, "ProjectTables");
    }
    return static_cast<std::size_t>(p) * (kLastSystem + 1) + static_cast<std::size_t>(s);
}

int ProjectTables::systemLast(int p) const {
    if (p < 0 || p > kLastProject) {
        throw standardError(errc::kSubscriptOutOfRange, "ProjectTables.systemLast");
    }
    return m_systemLast[static_cast<std::size_t>(p)];
}

void ProjectTables::setSystemLast(int p, int last) {
    systemLast(p); // range check
    m_systemLast[static_cast<std::size_t>(p)] = last;
}

int ProjectTables::poolLast(int p, int s) const {
    return m_poolLast[systemSlot(p, s)];
}

void ProjectTables::setPoolLast(int p, int s, int last) {
    m_poolLast[systemSlot(p, s)] = last;
}

const std::string &ProjectTables::poolAttribute(int p, int s, int n, int k) const {
    static const std::string kEmpty;
    const auto &rows = m_pools[systemSlot(p, s)];
    const int lastPool = std::max(kLastPoolAlways, static_cast<int>(rows.size()) - 1);
    if (n < 0 || n > lastPool || k < 0 || k > kLastAttribute) {
        throw standardError(errc::kSubscriptOutOfRange, "ProjectTables.poolAttribute");
    }
    const auto row = static_cast<std::size_t>(n);
    const auto column = static_cast<std::size_t>(k);
    if (row >= rows.size() || column >= rows[row].size()) {
        return kEmpty;
    }
    return rows[row][column];
}

void ProjectTables::setPoolAttribute(int p, int s, int n, int k, std::string value) {
    auto &rows = m_pools[systemSlot(p, s)];
    if (n < 0 || k < 0 || k > kLastAttribute) {
        throw standardError(errc::kSubscriptOutOfRange, "ProjectTables.poolAttribute");
    }
    const auto row = static_cast<std::size_t>(n);
    const auto column = static_cast<std::size_t>(k);
    if (row >= rows.size()) {
        rows.resize(row + 1);
    }
    if (column >= rows[row].size()) {
        rows[row].resize(column + 1);
    }
    rows[row][column] = std::move(value);
}

void ProjectTables::clearPools(int p, int s) {
    auto &rows = m_pools[systemSlot(p, s)];
    rows.clear();
    rows.shrink_to_fit();
}

// ---- readers ----------------------------------------------------------------------------------

void loadSiteConfig(const std::string &path, ConfigValues &v, ConfigTargets &t,
                    const Texts &texts) {
    try {
        readSiteFile(path, v, t);
    } catch (const ReadProblem &problem) {
        throw readerError(texts, path, problem.detail);
    } catch (const AqlError &e) {
        throw readerError(texts, path, e.description());
    }
}

void readProjectFile(const std::string &path, ConfigValues &v,
                     const std::filesystem::path &programFolder) {
    pugi::xml_document doc;
    // An unreadable file reads like an empty one: no element is found, so the texts below keep
    // their previous values and the project selection is empty.
    const pugi::xml_node root = projectRoot(path, doc, v.projectFileProblem);
    if (pugi::xml_attribute up = root.child("UseProject").attribute("UP")) {
        v.useProject = toLatin1(up.value());
    }
    if (pugi::xml_attribute time = root.child("Update").attribute("Time")) {
        v.updateTime = toLatin1(time.value());
    }

    std::vector<pugi::xml_node> projects;
    for (pugi::xml_node project : root.children("Project")) {
        projects.push_back(project);
    }
    ProjectTables &tables = v.tables;
    tables.projectLast = static_cast<int>(projects.size()) - 1;
    ProjectReading reading{tables, programFolder};
    const int projectCount =
        std::min<int>(static_cast<int>(projects.size()), ProjectTables::kLastProject + 1);
    for (int p = 0; p < projectCount; ++p) {
        reading.readProject(projects[static_cast<std::size_t>(p)], p);
    }
}

void loadProjectConfig(const std::string &path, ConfigValues &v, ConfigTargets &t,
                       const Texts &texts) {
    t.systemList = SystemList{};
    t.mainSelector.clear();
    readProjectFile(path, v, t.programFolder);
    try {
        fillPoolsFromTables(v, t);
    } catch (const ReadProblem &problem) {
        throw readerError(texts, path, problem.detail);
    } catch (const AqlError &e) {
        throw readerError(texts, path, e.description());
    }
    if (!v.systemId.empty() && t.hideProjectControls) {
        t.hideProjectControls();
    }
}

// ---- writer -----------------------------------------------------------------------------------

std::string siteConfigText(const SystemList &systems) {
    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";
    out += "<aqlRemoteConfig version=\"1.0\">\r\n";
    out += std::string("    <siteName>") + kWrittenSiteName + "</siteName>\r\n";
    out += "    <managedSystems>\r\n";
    for (std::int32_t i = 1; i <= systems.count(); ++i) {
        // The address is the position, not what was read: the list order is the bus numbering.
        out += "      <system address=\"" + std::to_string(i) + "\" ipaddress=\"";
        appendEscaped(out, systems.ipAddress(i));
        out += "\" port=\"";
        appendEscaped(out, systems.port(i));
        out += "\" name=\"";
        appendEscaped(out, systems.name(i));
        out += "\"/>\r\n";
    }
    out += "    </managedSystems>\r\n";
    out += "</aqlRemoteConfig>\r\n";
    return out;
}

void writeSiteConfig(platform::FileSaver &saver, const SystemList &systems,
                     const std::string &configPath) {
    saver.saveWhole(std::filesystem::u8path(configPath), siteConfigText(systems));
}

} // namespace aql::config
