// SPDX-License-Identifier: GPL-2.0-or-later
// The entry's dispatch: the selectors that do nothing, the About text and global setup's
// version and flags.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host_test_support.h"

namespace {

using hosttest::StartedHost;

// Every byte the effect could reach through the entry: the records, the parameters, the
// output world and the sequence record.
struct Snapshot {
  std::vector<unsigned char> inData, outData, params, output, record;
  PF_Handle handle;
  int32_t requested;

  static std::vector<unsigned char> Bytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
  }
  explicit Snapshot(EffectHost& host)
      : inData(Bytes(&host.InData(), sizeof(PF_InData))),
        outData(Bytes(&host.OutData(), sizeof(PF_OutData))),
        handle(host.SequenceHandle()),
        requested(ProcessEffectInstance().viewerRequested) {
    for (int i = 0; i < host.ParamCount(); ++i) {
      const std::vector<unsigned char> one = Bytes(&host.Param(i), sizeof(PF_ParamDef));
      params.insert(params.end(), one.begin(), one.end());
    }
    output = Bytes(host.Output().data(), host.Output().size() * sizeof(PF_Pixel));
    record = Bytes(hosttest::Record(host), sizeof(FlameSequenceData));
  }
  bool operator==(const Snapshot& o) const {
    return inData == o.inData && outData == o.outData && params == o.params &&
           output == o.output && record == o.record && handle == o.handle &&
           requested == o.requested;
  }
};

TEST(Dispatch, UnusedSetdownAndUnknownSelectorsReturnZeroAndChangeNothing) {
  auto host = StartedHost(16, 8);
  host->SetInput(hosttest::DiscImage(16, 8).data(), 16, 8);
  ASSERT_EQ(host->Render(1), PF_Err_NONE);  // a sequence with live buffers
  hosttest::OutputPixels(*host)[20] = {1, 2, 3, 4};
  host->OutData().out_flags = 0x1;
  std::strcpy(host->OutData().return_msg, "kept");

  for (PF_Cmd cmd : {2, 3, 12, 13, 100, -1}) {
    for (int32_t armed : {0, 1}) {
      ProcessEffectInstance().viewerRequested = armed;
      const Snapshot before(*host);
      EXPECT_EQ(host->Send(cmd), PF_Err_NONE) << "selector " << cmd;
      EXPECT_TRUE(Snapshot(*host) == before) << "selector " << cmd << " armed " << armed;
    }
  }
  ProcessEffectInstance().viewerRequested = 0;
}

TEST(Dispatch, AboutShowsNameVersionAndFourDescriptionLines) {
  EffectHost host(EffectMain);
  host.OutData().my_version = 7;  // the version shown is the About routine's own
  std::string text;
  ASSERT_EQ(host.About(&text), PF_Err_NONE);
  const std::string head = "ZEL Fyrel, v2.2\r";
  ASSERT_EQ(text.compare(0, head.size(), head), 0) << text;

  // The description: four lines, each line feed with a blank on either side.
  const std::string body = text.substr(head.size());
  EXPECT_EQ(body.find('\r'), std::string::npos);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = body.find(" \n ", start)) != std::string::npos; start = at + 3) {
    lines.push_back(body.substr(start, at - start));
  }
  lines.push_back(body.substr(start));
  ASSERT_EQ(lines.size(), 4u) << body;
  for (const std::string& line : lines) {
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
  }
}

TEST(Dispatch, GlobalSetupReportsVersionAndAddsItsFlagsToTheHosts) {
  EffectHost host(EffectMain);
  for (uint32_t hostBits : {0x0u, 0x1u, 0x80000000u, 0x468u, 0xFFFFFB97u}) {
    host.OutData().my_version = 0;
    host.OutData().out_flags = hostBits;
    ProcessEffectInstance().viewerRequested = 0;
    ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
    EXPECT_EQ(host.OutData().my_version, 1115648u);
    EXPECT_EQ(host.OutData().out_flags, hostBits | 0x468u) << std::hex << hostBits;
  }
  EXPECT_EQ(0x468u, 0x8u | PF_OutFlag_I_DO_DIALOG | PF_OutFlag_USE_OUTPUT_EXTENT |
                        PF_OutFlag_PIX_INDEPENDENT);
}

}  // namespace
