// Bad input of every kind, through the command line: each row gives the exact exit status and
// messages, and no row may change, add or remove a file.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

#include "platform/file_io.h"
#include "song/project.h"
#include "support/cli_run.h"
#include "support/song_builder.h"
#include "support/song_file_size_limit.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Bytes = platform::Bytes;

struct BadInput {
    const char* name;
    std::function<void(const fs::path&)> prepare;  // writes the files the row reads, into its folder
    std::vector<std::string> args;                  // "{d}" is the row's folder
    int status;
    std::string err;  // "{d}" the folder, "{help}" the usage text, "{help:CMD}" the command's
    std::string out = {};
    rlim_t fileSizeLimit = 0;  // a full disk: files may not grow past this many bytes
};

// ---- files ----------------------------------------------------------------------------------------

Bytes songBytes() { return serializeSong(songOf(notes(3, {60, 62}))); }

Bytes with16(Bytes bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = std::uint8_t(value & 0xFF);
    bytes[at + 1] = std::uint8_t(value >> 8);
    return bytes;
}

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

Bytes projectBytes(std::size_t size) {
    const ProjectData project = ProjectData::fresh();
    Bytes bytes(project.bytes().begin(), project.bytes().end());
    bytes.resize(size, 0);
    return bytes;
}

Bytes databaseBytes(std::uint16_t count, std::size_t records) {
    Bytes bytes{'Q', 'D', 'B', 0, 10, 0, std::uint8_t(count & 0xFF), std::uint8_t(count >> 8)};
    bytes.resize(bytes.size() + records * 322, 0);
    return bytes;
}

// A RIFF file of the given chunks (id, body).
Bytes wavBytes(const std::vector<std::pair<std::string, Bytes>>& chunks, const char* form = "WAVE") {
    Bytes body(form, form + 4);
    for (const auto& [id, data] : chunks) {
        body.insert(body.end(), id.begin(), id.end());
        put32(body, std::uint32_t(data.size()));
        body.insert(body.end(), data.begin(), data.end());
    }
    Bytes bytes{'R', 'I', 'F', 'F'};
    put32(bytes, std::uint32_t(body.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

Bytes pcmFormat(std::uint16_t format, std::uint16_t channels, std::uint16_t bits) {
    Bytes fmt;
    put16(fmt, format);
    put16(fmt, channels);
    put32(fmt, 22050);
    put32(fmt, 22050u * channels * bits / 8);
    put16(fmt, std::uint16_t(channels * bits / 8));
    put16(fmt, bits);
    return fmt;
}

void write(const fs::path& path, const Bytes& bytes) { ASSERT_TRUE(platform::writeFileAtomically(path, bytes)); }

std::function<void(const fs::path&)> files(std::vector<std::pair<std::string, Bytes>> named) {
    return [named](const fs::path& folder) {
        for (const auto& [name, bytes] : named) write(folder / name, bytes);
    };
}

std::function<void(const fs::path&)> readOnly(std::string name, Bytes bytes) {
    return [name, bytes](const fs::path& folder) {
        write(folder / name, bytes);
        fs::permissions(folder / name, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    };
}

void folderAndSong(const fs::path& folder) {
    fs::create_directory(folder / "folder.PLM");
    write(folder / "in.PLM", songBytes());
}

// A project whose one member is a song beside it.
void projectWithSong(const fs::path& folder) {
    write(folder / "m.PLM", songBytes());
    ProjectData project = ProjectData::fresh();
    ASSERT_TRUE(project.setMemberPath(0, folder / "m.PLM"));
    ASSERT_EQ(writeProjectFile(folder / "p.PRJ", project), ProjectWriteStatus::Written);
}

const std::string kBadSong = "データ形式が違います。 (the song data is broken or of an unknown layout)\n";
const std::string kBrokenProject = "plume-cli: プロジェクトファイルが壊れています。\n";
const std::string kLongName(200, 'n');

// The common rows: one broken file read by one command, refused with exit status 2.
BadInput brokenSong(const char* name, Bytes bytes, std::vector<std::string> args = {"dump", "{d}/s.PLM"}) {
    return {name, files({{"s.PLM", std::move(bytes)}}), std::move(args), 2, "plume-cli: {d}/s.PLM: " + kBadSong};
}
BadInput brokenProject(const char* name, Bytes bytes) {
    return {name, files({{"p.PRJ", std::move(bytes)}}), {"project", "{d}/p.PRJ"}, 2, kBrokenProject};
}
BadInput badWav(const char* name, Bytes bytes, const std::string& message) {
    return {name, files({{"w.wav", std::move(bytes)}}), {"transcribe", "{d}/w.wav"}, 2,
            "plume-cli: {d}/w.wav: " + message + "\n"};
}

std::vector<BadInput> catalogue() {
    const Bytes song = songBytes();
    Bytes zeroGroup = song;
    zeroGroup[kSongHeaderSize] = 0;
    Bytes pastEnd = song;
    pastEnd[kSongHeaderSize] = 9;
    std::vector<SongRecord> velocityZero = notes(3, {60});
    velocityZero[0].setVelocity(0);
    const Bytes repairable = serializeSong(songOf(velocityZero));
    ProjectData withMissingMember = ProjectData::fresh();
    withMissingMember.setMemberPath(0, "/nowhere/gone.PLM");
    withMissingMember.setTitle("夏の歌");
    const Bytes missingMember(withMissingMember.bytes().begin(), withMissingMember.bytes().end());
    const Bytes silence(200, 0);
    Bytes overCapacity = serializeSong(songOf(filledSong(kRecordCapacity)));
    overCapacity.resize(overCapacity.size() + kRecordSize, 0);
    overCapacity = with16(overCapacity, 6, std::uint16_t(kRecordCapacity + 1));
    std::string memberList = "title 夏の歌\ntempo 120\nkey 0\ntime 4/4\nmodule GM\ntrack 1 /nowhere/gone.PLM\n";
    for (int track = 2; track <= 16; ++track) memberList += "track " + std::to_string(track) + " -\n";
    return {
        // ---- the song reader -------------------------------------------------------------------
        {"song missing", {}, {"dump", "{d}/none.PLM"}, 2, "plume-cli: {d}/none.PLM: cannot open the file\n"},
        {"song is a folder", folderAndSong, {"dump", "{d}/folder.PLM"}, 2,
         "plume-cli: {d}/folder.PLM: cannot open the file\n"},
        {"song unreadable", {}, {"dump", "/proc/self/mem"}, 2, "plume-cli: /proc/self/mem: cannot open the file\n"},
        {"song wrong magic", files({{"m.PLM", with16(song, 2, 0x4E)}}), {"dump", "{d}/m.PLM"}, 2,
         "plume-cli: {d}/m.PLM: not a song file (no PLM magic)\n"},
        brokenSong("song header of 7 bytes", cut(song, 7)),
        brokenSong("song header cut", cut(song, 100)),
        brokenSong("song settings cut", cut(song, kSongHeaderSize - 1), {"layout", "{d}/s.PLM"}),
        brokenSong("song count past the capacity", overCapacity),
        brokenSong("old layout count past the records", with16(layout30(notes(2, {60}), SongInfo::defaults()), 6, 900)),
        {"song group size 0", files({{"z.PLM", zeroGroup}}), {"dump", "{d}/z.PLM"}, 0, "",
         "version 411\ncount 2\nsonginfo 5 0 1 0 120 0 0 0 0 0 4 2\ngroup 0 0 3 48\n"},
        {"song group past the end", files({{"g.PLM", pastEnd}}), {"check", "{d}/g.PLM"}, 0, "",
         "{d}/g.PLM | エラー修復　bySize = 1\n"},
        brokenSong("chords of a broken song", cut(song, 100), {"chords", "{d}/s.PLM", "--from", "0", "--to", "0"}),
        // ---- writing songs -----------------------------------------------------------------------
        {"convert onto a read-only file", [repairable](const fs::path& d) {
             write(d / "in.PLM", songBytes());
             readOnly("ro.PLM", repairable)(d);
         },
         {"convert", "{d}/in.PLM", "{d}/ro.PLM"}, 2, "plume-cli: {d}/ro.PLM: 読み込み専用ファイルなので保存できません。\n"},
        {"convert onto a folder", folderAndSong, {"convert", "{d}/in.PLM", "{d}/folder.PLM"}, 2,
         "plume-cli: {d}/folder.PLM | 保存が正常にできませんでした。\n"},
        {"convert onto a full disk", files({{"in.PLM", song}}), {"convert", "{d}/in.PLM", "{d}/out.PLM"}, 2,
         "plume-cli: {d}/out.PLM | 保存が正常にできませんでした。\n", "", 100},
        {"check --write of a read-only song", readOnly("v.PLM", repairable), {"check", "{d}/v.PLM", "--write"}, 2,
         "plume-cli: {d}/v.PLM: 読み込み専用ファイルなので保存できません。\n", "{d}/v.PLM | エラー修復　Velcity = 1\n"},
        {"check --write on a full disk", files({{"v.PLM", repairable}}), {"check", "{d}/v.PLM", "--write"}, 2,
         "plume-cli: {d}/v.PLM | 保存が正常にできませんでした。\n", "{d}/v.PLM | エラー修復　Velcity = 1\n", 100},
        // ---- the project reader --------------------------------------------------------------------
        {"project missing", {}, {"project", "{d}/none.PRJ"}, 2, "plume-cli: プロジェクトファイル | {d}/none.PRJは存在しません。\n"},
        {"project named by an empty argument", {}, {"project", ""}, 2, "plume-cli: : cannot open the file\n"},
        {"project is a folder", [](const fs::path& d) { fs::create_directory(d / "f.PRJ"); }, {"project", "{d}/f.PRJ"}, 2,
         "plume-cli: プロジェクトファイル | {d}/f.PRJは存在しません。\n"},
        brokenProject("project one byte short", projectBytes(kProjectSize - 1)),
        brokenProject("project one byte long", projectBytes(kProjectSize + 1)),
        {"project member missing", files({{"p.PRJ", missingMember}}), {"project", "{d}/p.PRJ"}, 0,
         "plume-cli: プロジェクトメンバーファイル | /nowhere/gone.PLMは存在しません。\n", memberList},
        {"export of a broken project", files({{"p.PRJ", projectBytes(9000)}}), {"export-midi", "{d}/p.PRJ"}, 2, kBrokenProject},
        {"export onto a read-only file", [](const fs::path& d) { projectWithSong(d); readOnly("ro.mid", {1, 2, 3})(d); },
         {"export-midi", "{d}/p.PRJ", "-o", "{d}/ro.mid"}, 2, "plume-cli: ファイルを作成できません。\n"},
        {"export onto a folder", [](const fs::path& d) { projectWithSong(d); fs::create_directory(d / "out.mld"); },
         {"export-mld", "{d}/p.PRJ", "-o", "{d}/out.mld"}, 2, "plume-cli: ファイルを作成できません。\n"},
        {"export onto a full disk", projectWithSong, {"export-midi", "{d}/p.PRJ", "-o", "{d}/out.mid"}, 2,
         "plume-cli: 書き込みエラー\n", "", 60},
        // ---- paths a project cannot hold ------------------------------------------------------------
        {"demo project path too long", {}, {"demo-project", "{d}/" + kLongName + "/" + kLongName}, 2,
         "plume-cli: {d}/" + kLongName + "/" + kLongName + "/melody.PLM: the path is too long for a project\n"},
        {"demo project name not CP932", {}, {"demo-project", "{d}/曲\U0001F3B5"}, 2,
         "plume-cli: {d}/曲\U0001F3B5/melody.PLM: a project can only hold paths written in Shift_JIS (CP932)\n"},
        {"demo project into a file", files({{"f", {1}}}), {"demo-project", "{d}/f"}, 2, "plume-cli: {d}/f: cannot create the folder\n"},
        // ---- the song database reader ----------------------------------------------------------------
        {"database missing", {}, {"db", "{d}/none.QDB"}, 2, "plume-cli: {d}/none.QDB | ファイルが読めません。\n"},
        {"database wrong magic", files({{"d.QDB", {'Q', 'D', 'X', 0, 10, 0, 0, 0}}}), {"db", "{d}/d.QDB"}, 2,
         "plume-cli: {d}/d.QDB | Plumeのデータベースファイルではありません。\n"},
        {"database count past the records", files({{"d.QDB", databaseBytes(65535, 1)}}), {"db", "{d}/d.QDB"}, 2,
         "plume-cli: {d}/d.QDB | バージョンが違います。\n"},
        // ---- the WAV reader -----------------------------------------------------------------------------
        {"wav missing", {}, {"transcribe", "{d}/none.wav"}, 2, "plume-cli: {d}/none.wav: cannot open the file\n"},
        badWav("wav not RIFF", wavBytes({}, "AVI "), "not a WAV file (no RIFF/WAVE header)"),
        badWav("wav data before format", wavBytes({{"data", silence}, {"fmt ", pcmFormat(1, 1, 16)}}),
               "the WAV file has no format chunk before its data"),
        badWav("wav 24 bits", wavBytes({{"fmt ", pcmFormat(1, 1, 24)}, {"data", silence}}),
               "only PCM with 8 or 16 bits and 1 to 8 channels can be read"),
        badWav("wav no data", wavBytes({{"fmt ", pcmFormat(1, 1, 16)}}), "the WAV file has no data chunk"),
        badWav("wav chunk size past the file", with16(with16(wavBytes({{"fmt ", pcmFormat(1, 1, 16)}}), 16, 0xFFFF), 18, 0xFFFF),
               "the WAV file has no data chunk"),
        // ---- option values --------------------------------------------------------------------------------
        {"no command", {}, {}, 1, "{help}"},
        {"unknown command", {}, {"frobnicate"}, 1, "plume-cli: unknown command 'frobnicate'\n{help}"},
        {"too many files", {}, {"dump", "a.PLM", "b.PLM"}, 1, "{help:dump}"},
        {"midi format 2", projectWithSong, {"export-midi", "{d}/p.PRJ", "--format", "2"}, 1,
         "plume-cli: export-midi: --format is 0 or 1\n"},
        {"midi time base too small", projectWithSong, {"export-midi", "{d}/p.PRJ", "--timebase", "47"}, 1,
         "plume-cli: export-midi: --timebase is a number from 48 to 980\n"},
        {"midi reset unknown", projectWithSong, {"export-midi", "{d}/p.PRJ", "--reset", "xg"}, 1,
         "plume-cli: export-midi: --reset is gm, gs or none\n"},
        {"midi output without a name", projectWithSong, {"export-midi", "{d}/p.PRJ", "-o"}, 1,
         "plume-cli: export-midi: -o needs a value\n"},
        {"database field unknown", {}, {"db", "{d}/none.QDB", "--find", "title", "x"}, 1,
         "plume-cli: db: --find takes category, memo or file\n"},
        {"database record number not a number", {}, {"db", "{d}/none.QDB", "--find", "memo", "x", "--from", "-1"}, 1,
         "plume-cli: db: --from takes a record number\n"},
        {"transcribe tempo 0", {}, {"transcribe", "{d}/none.wav", "--tempo", "0"}, 1,
         "plume-cli: transcribe: --tempo is a whole number from 1 to 999\n{help:transcribe}"},
        {"transcribe detect way 2", {}, {"transcribe", "{d}/none.wav", "--detect-way", "2"}, 1,
         "plume-cli: transcribe: --detect-way is 0 or 1\n{help:transcribe}"},
        {"chords range backwards", files({{"s.PLM", song}}), {"chords", "{d}/s.PLM", "--from", "1", "--to", "0"}, 1,
         "plume-cli: chords: --from is after --to\n"},
    };
}

// ---- running a row ----------------------------------------------------------------------------------

std::string expand(std::string text, const fs::path& folder) {
    const auto replace = [&text](const std::string& key, const std::string& value) {
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    };
    for (std::size_t at = text.find("{help:"); at != std::string::npos; at = text.find("{help:")) {
        const std::size_t end = text.find('}', at);
        const std::string command = text.substr(at + 6, end - at - 6);
        text.replace(at, end - at + 1, runCommand({command, "--help"}).out);
    }
    replace("{help}", runCommand({"--help"}).out);
    replace("{d}", folder.string());
    return text;
}

// Every file and folder under `folder` with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_directory()) {
            contents[name] = "<folder>";
            continue;
        }
        const auto bytes = platform::readFile(entry.path());
        contents[name] = bytes ? std::string(bytes->begin(), bytes->end()) : "<unreadable>";
    }
    return contents;
}

class BadInputs : public CliTest {};

TEST_F(BadInputs, EveryBadInputGetsItsMessageAndStatusAndLeavesTheFilesAsTheyWere) {
    const std::vector<BadInput> rows = catalogue();
    ASSERT_GE(rows.size(), 40u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const BadInput& row = rows[i];
        SCOPED_TRACE(row.name);
        const fs::path folder = dir / std::to_string(i);
        fs::create_directories(folder);
        if (row.prepare) row.prepare(folder);
        const auto before = snapshot(folder);
        std::vector<std::string> args;
        for (const std::string& arg : row.args) args.push_back(expand(arg, folder));
        std::optional<FileSizeLimit> limit;
        if (row.fileSizeLimit) limit.emplace(row.fileSizeLimit);
        const CliRun run = runCommand(args);
        limit.reset();
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.err, expand(row.err, folder));
        EXPECT_EQ(run.out, expand(row.out, folder));
        EXPECT_EQ(snapshot(folder), before);
    }
}

}  // namespace
}  // namespace plume
