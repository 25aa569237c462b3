#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/media/AsyncFileSource.h"
#include "platform/media/FilterGraph.h"
#include "support/ScratchFolder.h"

namespace {

IAsyncReader* ReaderOf(CAsyncFileSource& source) { return QueryInterface<IAsyncReader>(source.GetPin(0)); }

TEST(AsyncFileSourceTest, ReadsAnywhereAndReportsTheEndOfTheFile) {
  ScratchFolder folder;
  std::vector<uint8_t> bytes(100000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  ScratchFolder::Write(folder.File("data.bin"), bytes);
  CAsyncFileSource source;
  ASSERT_EQ(source.Load(folder.File("data.bin"), nullptr), S_OK);
  IAsyncReader* reader = ReaderOf(source);
  ASSERT_NE(reader, nullptr);

  int64_t total = 0, available = 0;
  ASSERT_EQ(reader->Length(&total, &available), S_OK);
  EXPECT_EQ(total, 100000);
  EXPECT_EQ(available, 100000);

  std::vector<uint8_t> buffer(70000);
  long read = 0;
  ASSERT_EQ(reader->SyncRead(20000, 70000, buffer.data(), &read), S_OK);
  EXPECT_EQ(read, 70000);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), bytes.begin() + 20000));

  EXPECT_EQ(reader->SyncRead(99990, 100, buffer.data(), &read), S_FALSE);
  EXPECT_EQ(read, 10);
  EXPECT_EQ(buffer[9], bytes[99999]);
  EXPECT_EQ(reader->SyncRead(200000, 10, buffer.data(), &read), S_FALSE);
  EXPECT_EQ(read, 0);
  EXPECT_EQ(reader->SyncRead(-1, 10, buffer.data(), &read), E_INVALIDARG);

  std::string path;
  EXPECT_EQ(source.GetCurFile(&path, nullptr), S_OK);
  EXPECT_EQ(path, folder.File("data.bin"));
  EXPECT_EQ(source.Load(folder.File("data.bin"), nullptr), VFW_E_ALREADY_CONNECTED);
}

TEST(AsyncFileSourceTest, RefusesWhatIsNotAReadableRegularFileWithAReason) {
  ScratchFolder folder;
  {
    CAsyncFileSource source;
    EXPECT_EQ(source.Load(folder.File("missing.wav"), nullptr), HResultFromErrno(ENOENT));
    EXPECT_NE(GetErrorInfo().find("missing.wav"), std::string::npos) << GetErrorInfo();
    EXPECT_NE(GetErrorInfo().find("No such file"), std::string::npos) << GetErrorInfo();
    std::string path;
    EXPECT_EQ(source.GetCurFile(&path, nullptr), E_FAIL);
  }
  {
    CAsyncFileSource source;
    EXPECT_TRUE(FAILED(source.Load(folder.Path(), nullptr)));
    EXPECT_NE(GetErrorInfo().find("folder"), std::string::npos) << GetErrorInfo();
  }
  {
    // A pipe would block the reader for ever; it is refused at once.
    ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
    CAsyncFileSource source;
    EXPECT_TRUE(FAILED(source.Load(folder.File("pipe"), nullptr)));
    EXPECT_NE(GetErrorInfo().find("not a regular file"), std::string::npos) << GetErrorInfo();
  }
  if (::geteuid() != 0) {
    folder.WriteText("secret.wav", "x");
    ASSERT_EQ(::chmod(folder.File("secret.wav").c_str(), 0), 0);
    CAsyncFileSource source;
    EXPECT_EQ(source.Load(folder.File("secret.wav"), nullptr), E_ACCESSDENIED);
  }
}

TEST(AsyncFileSourceTest, TheGraphAddsSourcesByPathAndKeepsNothingOfAFailedOne) {
  ScratchFolder folder;
  folder.WriteText("a.wav", "RIFF");
  CFilterGraph graph;
  std::shared_ptr<IBaseFilter> source;
  ASSERT_EQ(graph.AddSourceFilter(folder.File("a.wav"), "", &source), S_OK);
  EXPECT_EQ(source->Name(), folder.File("a.wav"));
  IPin* output = nullptr;
  ASSERT_EQ(source->FindPin("Output", &output), S_OK);
  AM_MEDIA_TYPE type;
  std::unique_ptr<IEnumMediaTypes> types;
  ASSERT_EQ(output->EnumMediaTypes(&types), S_OK);
  unsigned long fetched = 0;
  ASSERT_EQ(types->Next(1, &type, &fetched), S_OK);
  EXPECT_EQ(type.majortype, MEDIATYPE_Stream);

  EXPECT_EQ(graph.AddSourceFilter(folder.File("none.wav"), "Source", &source), HResultFromErrno(ENOENT));
  EXPECT_EQ(source, nullptr);
  EXPECT_EQ(graph.RenderFile(folder.File("none.wav")), HResultFromErrno(ENOENT));
  EXPECT_EQ(graph.Filters().size(), 1u);
}

}  // namespace
