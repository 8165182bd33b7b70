// SPDX-License-Identifier: GPL-2.0-or-later
// An OpenFX host written from the interface's measured facts alone: it shares no declaration
// with the plug-in. Suites are tables of function slots at the measured positions, property
// sets check every name and type the plug-in uses against the interface's own, and images are
// laid out as hosts lay them out (rows bottom-up, row bytes negative or padded, bounds
// anywhere), fenced with guard bytes. It loads a plug-in binary, describes it in the filter
// context, makes instances and renders frames of a source made by the test.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ofxtest {

using Status = int;
constexpr Status kOK = 0, kFailed = 1, kErrUnknown = 3, kErrMissingHostFeature = 4,
                 kErrUnsupported = 5, kErrBadHandle = 9, kErrBadIndex = 10, kErrValue = 11,
                 kReplyDefault = 14;

struct Property {
  char type = 0;  // 's', 'i', 'd', 'p'
  std::vector<std::string> strings;
  std::vector<int> ints;
  std::vector<double> doubles;
  std::vector<void*> pointers;
  size_t Size() const;
};

// Every property set of the host: an object's properties, or an action's arguments.
struct PropertySet {
  std::map<std::string, Property> values;
  int Int(const std::string& name, int index = 0) const;
  double Double(const std::string& name, int index = 0) const;
  std::string String(const std::string& name, int index = 0) const;
  bool Has(const std::string& name) const { return values.count(name) != 0; }
  void SetInt(const std::string& name, std::vector<int> v);
  void SetDouble(const std::string& name, std::vector<double> v);
  void SetString(const std::string& name, std::vector<std::string> v);
  void SetPointer(const std::string& name, void* v);
};

// How a clip's images are laid out in memory.
struct Layout {
  bool isFloat = false;
  int x1 = 0, y1 = 0;     // the frame's bottom-left pixel
  int padding = 0;        // bytes after each row
  bool topDown = false;   // memory rows top first: negative row bytes
  int margin = 0;         // output: pixels of image around the frame, outside the render window
  bool shorts = false;    // say the pixels are 16-bit, which the plug-in does not take
  int grow = 0;           // the clip's region reaches this far past the frame; -1: unbounded
  bool shortRows = false, noData = false;  // row bytes one pixel short; no pixel address
};

// RGBA bytes, top row first: the picture a source clip shows at a frame.
using Picture = std::vector<uint8_t>;

struct Param {
  std::string type;
  PropertySet props;
  std::array<double, 3> value{};           // the value without keyframes
  std::map<double, std::array<double, 3>> keys;  // time -> value; held until the next key
  std::function<std::array<double, 3>(double)> expression;  // without keys, as the host reports
  std::array<double, 3> At(double time) const;
};

struct Effect;
struct Image {
  PropertySet props;  // first: its address is the image's handle
  Effect* effect = nullptr;
  std::vector<unsigned char> memory;  // guard, rows, guard
};

struct Clip {
  Effect* effect = nullptr;
  std::string name;
  PropertySet props;
};

struct Effect {
  PropertySet props;
  std::map<std::string, std::unique_ptr<Clip>> clips;
  std::vector<std::string> paramOrder;
  std::map<std::string, std::unique_ptr<Param>> params;
};

// The scene an instance renders: the frame size, where frame 1 lies in time, the source's
// pictures, and how images are laid out.
struct Scene {
  int width = 48, height = 36;
  double firstTime = 1.0;
  int frames = 40;
  int withheld = 0;  // a frame of the source the host does not give
  bool unboundedRange = false;  // the source's frame range is the interface's "infinite"
  bool onlyDeclared = false;  // a render gets only the source frames getFramesNeeded declared
  double declared[2] = {0, 0};
  Layout source, output;
  std::function<Picture(int frame)> picture;  // frame 1 .. frames
};

class Host {
 public:
  struct Options {
    bool messageSuite = true;
    bool parameterSuite = true;
  };
  explicit Host(Options options);
  ~Host();

  // Loads the binary and runs load, describe and describe-in-context (filter). False with a
  // message when the plug-in cannot be had.
  bool Load(const std::string& path, std::string* error);
  Status Call(const std::string& action, const void* handle, PropertySet* in, PropertySet* out);
  Status Unload();

  Effect& Descriptor() { return descriptor_; }
  Effect& FilterDescriptor() { return filter_; }
  const char* Identifier() const;
  int Version(int part) const;
  Status DescribeStatus() const { return describeStatus_; }
  Status DescribeInContextStatus() const { return inContextStatus_; }
  Status LoadStatus() const { return loadStatus_; }

  // A new instance of the filter, made from the descriptor; null when the plug-in refuses.
  Effect* CreateInstance(Scene* scene);
  Status DestroyInstance(Effect* instance);
  Scene& SceneOf(Effect* instance) { return *scenes_.at(instance); }
  // Renders the frame at `time` into a fresh output image and returns the frame as RGBA
  // bytes, top row first (floats back to bytes: they must be exact multiples of 1/255).
  // Checks that nothing outside the render window changed.
  Status Render(Effect* instance, double time, Picture* frame);
  Status FramesNeeded(Effect* instance, double time, double range[2]);
  // Tells the instance that the user changed the object `name` of `type` at changeTime.
  Status Notify(Effect* instance, const char* type, const char* name);
  double changeTime = 1.0;

  // What the plug-in did: suites it asked for, names it used that the interface lacks,
  // images fetched and not yet released, source images fetched so far.
  std::vector<std::string> fetched;
  std::vector<std::string> faults;
  int liveImages = 0;
  int sourceFetches = 0;
  int hostCallsInSetHost = 0;
  // Values the plug-in set, by parameter name, each with whether it fell within an edit
  // (paramEditBegin .. paramEditEnd); how deep in edits the plug-in is.
  std::vector<std::pair<std::string, bool>> valuesSet;
  int editDepth = 0;

  // Internals the suite functions reach.
  Status NewImage(Clip* clip, double time, Image** image);
  std::vector<std::string> messages;
  void ReleaseImage(Image* image);
  void Fault(const std::string& what);
  static Host* current;
  bool inSetHost = false;
  Options options;

 private:
  struct Binary;
  std::unique_ptr<Binary> binary_;
  PropertySet hostProps_;
  Effect descriptor_, filter_;
  std::vector<std::unique_ptr<Effect>> instances_;
  std::map<Effect*, Scene*> scenes_;
  std::set<Image*> images_;
  std::map<Image*, bool> outputImages_;
  Status loadStatus_ = kFailed, describeStatus_ = kFailed, inContextStatus_ = kFailed;
};

// The region of a clip laid out so, in pixels, as the host reports it.
std::array<int, 4> Region(const Scene& scene, const Layout& layout);

// The names and types the interface gives properties ('s', 'i', 'd', 'p'); 0 for a name it
// does not have. Names built from a prefix and a clip name count.
char PropertyType(const std::string& name);

}  // namespace ofxtest
