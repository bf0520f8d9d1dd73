#include "core/batch_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace vornel {
namespace {

using V = BatchList;

V readText(const std::string& text) {
  V list = {"stale"};
  TextReader in(text);
  readBatchListFrom(in, list);
  return list;
}

std::string fileText(const std::string& path) {
  std::vector<std::uint8_t> bytes = test::readFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(BatchList, FileFormatAndReading) {
  EXPECT_EQ(batchListText({}), "<<end>>\r\n");
  EXPECT_EQ(batchListText({"Home", "News"}), "Home\r\n<<br>>\r\nNews\r\n<<br>>\r\n<<end>>\r\n");
  const V two = {"A", "B\nC"};
  EXPECT_EQ(batchListText(two), "A\r\n<<br>>\r\nB\r\nC\r\n<<br>>\r\n<<end>>\r\n");
  EXPECT_EQ(readText(batchListText(two)), two);
  // Text after the last marker is dropped; markers in a row give empty entries; a
  // Windows CR CR LF inside an entry is one line break.
  EXPECT_EQ(readText("X\n<<br>>\nY\n"), (V{"X"}));
  EXPECT_EQ(readText("<<br>>\r\n<<br>>\r\nZ\r\r\nW\r\n<<br>>\r\n<<end>>\r\nQ\r\n<<br>>\r\n"),
            (V{"", "", "Z\nW"}));
  EXPECT_EQ(readText(""), V{});
  // Entries are cut to 299 bytes on a character boundary however long their lines are.
  std::string yen;
  for (int i = 0; i < 400; ++i) yen += "\xC2\xA5";
  V cut = readText(yen + "\n" + yen + "\n<<br>>\n");
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0], yen.substr(0, 298));
  // A 299-character piece with "<<br>>" after it on the same line keeps its last
  // character: only a line break before the marker is removed.
  const std::string long299 = std::string(298, 'x') + "y";
  EXPECT_EQ(readText(long299 + "<<br>>\r\n" + long299 + "\r\n<<br>>\r\n"), (V{long299, long299}));
  // A NUL byte ends its line, line break included; a Latin-1 entry keeps 299 bytes.
  EXPECT_EQ(readText(std::string("Ho\0x\nme\n<<br>>\nA\0\n<<br>>\n", 25)), (V{"Home", "A"}));
  const std::string latin(400, '\xA0');
  EXPECT_EQ(readText(latin + "\n<<br>>\n"), (V{latin.substr(0, 299)}));
}

TEST(BatchList, RandomListsRoundTripThroughFiles) {
  test::TempDir dir;
  test::TestRandom rnd(9);
  for (int round = 0; round < 8; ++round) {
    V list;
    int n = rnd.below(12);
    for (int i = 0; i < n; ++i) {
      std::string entry;
      int len = rnd.below(80);
      const char* pieces[] = {"a", " ", "\n", "\xE2\x82\xAC", "<", ">", "b", "r"};
      while (static_cast<int>(entry.size()) < len) entry += pieces[rnd.below(8)];
      list.push_back(entry);
    }
    ASSERT_TRUE(writeBatchList(dir.file("l.blt"), list));
    V back = {"old"};
    ASSERT_TRUE(readBatchList(dir.file("l.blt"), back));
    EXPECT_EQ(back, list) << round;
  }
  V keep = {"k"};
  EXPECT_FALSE(readBatchList(dir.file("none.blt"), keep));
  EXPECT_EQ(keep, (V{"k"}));
}

TEST(BatchList, AddAndDelete) {
  V list;
  addBatchEntry(list, "one");
  addBatchEntry(list, std::string(400, 'x'));
  addBatchEntry(list, "three");
  addBatchEntry(list, "four");
  EXPECT_EQ(list[1].size(), 299u);
  deleteBatchEntries(list, {3, 1, 7, -1});
  EXPECT_EQ(list, (V{"one", "three"}));

  VornelDocument doc;
  initializeDocument(doc);
  useBatchEntry(doc, "two\nlines");
  EXPECT_EQ(doc.layer(kMessageLayer).text, "two\nlines");
  EXPECT_EQ(doc.ws.message, "two\nlines");
}

TEST(BatchList, SaveFormsTheNameOnceThenReusesIt) {
  test::TempDir dir;
  VornelDocument doc;
  initializeDocument(doc);
  test::ScriptedHost host;
  V list = {"A"};
  EXPECT_FALSE(saveBatchList(doc, host, list));  // dialog cancelled
  EXPECT_EQ(doc.batchListName, "untitled.blt");
  host.saveAnswers = {dir.file("list")};
  EXPECT_TRUE(saveBatchList(doc, host, list));
  EXPECT_EQ(doc.batchListName, dir.file("list.blt"));
  EXPECT_EQ(host.dialogs[0].filter, "Text List file(*.BLT)|*.BLT|All Files(*.*)|*.*||");
  EXPECT_TRUE(host.dialogs[0].askOverwrite);
  list.push_back("B");
  EXPECT_TRUE(saveBatchList(doc, host, list));
  EXPECT_EQ(host.dialogs.size(), 2u);
  EXPECT_EQ(fileText(dir.file("list.blt")), batchListText(list));

  // Save As takes the name unchanged; a failed one keeps the old name and reports.
  host.saveAnswers = {dir.file("other.txt")};
  EXPECT_TRUE(saveBatchListAs(doc, host, list));
  EXPECT_EQ(doc.batchListName, dir.file("other.txt"));
  host.saveAnswers = {dir.file("no/dir.blt")};
  EXPECT_FALSE(saveBatchListAs(doc, host, list));
  EXPECT_EQ(doc.batchListName, dir.file("other.txt"));
  EXPECT_EQ(host.messages.back().text, "Cannot save file!");

  // Load: the chosen name is kept even when the file cannot be read.
  V loaded;
  host.openAnswers = {dir.file("list.blt"), dir.file("gone.blt")};
  EXPECT_TRUE(loadBatchList(doc, host, loaded));
  EXPECT_EQ(loaded, list);
  EXPECT_FALSE(loadBatchList(doc, host, loaded));
  EXPECT_EQ(doc.batchListName, dir.file("gone.blt"));
  EXPECT_EQ(loaded, list);
}

TEST(BatchList, NewAsksAlways) {
  test::TempDir dir;
  VornelDocument doc;
  initializeDocument(doc);
  test::ScriptedHost host;
  V list = {"A", "B"};
  host.answers = {MsgAnswer::Cancel, MsgAnswer::No};
  EXPECT_FALSE(newBatchList(doc, host, list));
  EXPECT_EQ(list.size(), 2u);
  EXPECT_EQ(host.messages[0].text, "Save changes to untitled.blt?");
  EXPECT_EQ(host.messages[0].caption, "Warning!");
  EXPECT_EQ(host.messages[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_TRUE(newBatchList(doc, host, list));
  EXPECT_TRUE(list.empty());

  // Yes writes first; when that fails the list survives.
  list = {"keep"};
  doc.batchListName = dir.file("l.blt");
  host.answers = {MsgAnswer::Yes};
  EXPECT_TRUE(newBatchList(doc, host, list));
  EXPECT_EQ(fileText(dir.file("l.blt")), batchListText({"keep"}));
  EXPECT_EQ(doc.batchListName, "untitled.blt");
  list = {"precious"};
  std::filesystem::create_directory(dir.file("d.blt"));
  doc.batchListName = dir.file("d.blt");
  host.answers = {MsgAnswer::Yes};
  EXPECT_FALSE(newBatchList(doc, host, list));
  EXPECT_EQ(list, (V{"precious"}));
  EXPECT_EQ(host.messages.back().text, "Cannot save file!");
}

}  // namespace
}  // namespace vornel
