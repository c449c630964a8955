#include "cli/db_command.h"

#include <algorithm>
#include <optional>

#include "cli/commands.h"
#include "database/song_database.h"
#include "platform/cp932.h"
#include "platform/message_box.h"

namespace plume::cli {

const char* const kDbUsage =
    "usage: plume-cli db IN.QDB [--find category|memo|file TEXT [--exact] [--from N] [--backward]]\n"
    "Prints 'count N', then one line per record: its number from 0, the file name, the category and\n"
    "the memo, tab-separated, in UTF-8. With --find, prints the number of the first record whose\n"
    "field holds TEXT (--exact: equals it), searching from record N (not itself) toward later\n"
    "records, or earlier ones with --backward; without --from the search covers every record.\n"
    "No match: the message on stderr and exit 1.\n";

namespace {

constexpr int kNoMatch = 1;

int usage(std::ostream& err, const std::string& problem) {
    err << "plume-cli: db: " << problem << '\n';
    return kUsage;
}

std::optional<DbField> fieldNamed(const std::string& name) {
    if (name == "category") return DbField::Category;
    if (name == "memo") return DbField::Memo;
    if (name == "file") return DbField::FileName;
    return std::nullopt;
}

}  // namespace

int dbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    std::optional<DbField> field;
    std::string text;
    DbMatch method = DbMatch::Partial;
    bool forward = true;
    std::optional<std::size_t> from;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--find") {
            if (i + 2 >= args.size()) return usage(err, "--find needs a field and a text");
            field = fieldNamed(args[++i]);
            if (!field) return usage(err, "--find takes category, memo or file");
            text = args[++i];
        } else if (arg == "--exact") {
            method = DbMatch::Exact;
        } else if (arg == "--backward") {
            forward = false;
        } else if (arg == "--from") {
            const std::string value = i + 1 < args.size() ? args[++i] : "";
            const bool digits = !value.empty() && value.size() <= 4 &&
                                std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (!digits) return usage(err, "--from takes a record number");
            from = std::stoul(value);
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(err, "unknown option " + arg);
        } else if (path.empty()) {
            path = arg;
        } else {
            return usage(err, "takes one database file");
        }
    }
    if (path.empty()) return usage(err, "needs a database file");
    if (!field && (from || method == DbMatch::Exact || !forward)) return usage(err, "--exact, --from and --backward go with --find");

    // A refused file's message reaches stderr through the message box.
    const DbReadResult read = readDatabase(path);
    if (!read.ok()) return kBadData;

    if (!field) {
        out << "count " << read.records.size() << '\n';
        for (std::size_t i = 0; i < read.records.size(); ++i) {
            const DbRecord& r = read.records[i];
            out << i << '\t' << platform::cp932ToUtf8Lossy(r.fileName()) << '\t'
                << platform::cp932ToUtf8Lossy(r.category()) << '\t' << platform::cp932ToUtf8Lossy(r.memo()) << '\n';
        }
        return kOk;
    }

    const auto cp932 = platform::utf8ToCp932(text);
    if (!cp932 || cp932->empty()) return usage(err, "the search text is empty or not expressible in Shift-JIS");
    const std::ptrdiff_t count = std::ptrdiff_t(read.records.size());
    const std::ptrdiff_t current = from ? std::min(std::ptrdiff_t(*from), count) : forward ? kBeforeFirst : count;
    const auto found = searchRecords(read.records, current, *field, method, *cp932, forward);
    if (!found) {
        platform::messageBox().show("検索条件と一致するレコードはありません。");
        return kNoMatch;
    }
    out << *found << '\n';
    return kOk;
}

}  // namespace plume::cli
