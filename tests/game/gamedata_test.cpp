// gamedata_test: the game's data holds together: every scene's pictures exist at the sizes its
// resources file gives, its frames, states, sets and scripts refer to what exists, and the
// story, free play, the maps, the overlay, the journal's page, the puzzles and the tutorials
// name objects, states, strings and sounds that the data provides, and each case's room,
// timeline and checklist agree on who could have done it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildpaths.h"
#include "controller/thegame.h"
#include "core/foundation/xmlnode.h"

namespace fs = std::filesystem;

namespace {

// The program reads data/assets first, then the build's generated data under the same names.
std::string Resolve(const std::string& name)
{
  for (const std::string& root :
       {std::string(QV_SOURCE_DATA_DIR) + "/assets/", std::string(QV_GENERATED_DATA_DIR) + "/assets/"}) {
    if (fs::is_regular_file(root + name)) {
      return root + name;
    }
  }
  return std::string();
}

std::string ReadText(const std::string& path)
{
  std::ifstream input(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

// The document's root element, parsed by the engine's own XML reader; null when missing.
struct TDocument
{
  TXmlNode document;
  TXmlNode* root = nullptr;
};

std::unique_ptr<TDocument> Parse(const std::string& name, const char* rootName)
{
  const std::string path = Resolve(name);
  if (path.empty()) {
    return nullptr;
  }
  std::unique_ptr<TDocument> parsed(new TDocument);
  const std::string text = ReadText(path);
  if (!parsed->document.ParseString(text.c_str())) {
    return nullptr;
  }
  parsed->root = parsed->document.GetChild(rootName);
  return parsed->root ? std::move(parsed) : nullptr;
}

std::vector<TXmlNode*> Children(TXmlNode* node, const char* name = nullptr)
{
  std::vector<TXmlNode*> children;
  if (!node) {
    return children;
  }
  str tag;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&tag, &child)) {
    if (!name || tag == str(name)) {
      children.push_back(child);
    }
  }
  return children;
}

// The children of a list the game reads whatever their tags: all must be elements of the
// expected tag (a comment there would be read as one more entry).
void ExpectOnly(TXmlNode* list, const char* tag, const std::string& where)
{
  str name;
  TXmlNode* child = nullptr;
  if (!list) {
    return;
  }
  list->ResetChildren();
  while (list->GetNextChild(&name, &child)) {
    EXPECT_EQ(std::string(tag), name.c_str()) << where << " holds a " << name.c_str() << " among its " << tag << "s";
  }
}

std::string Attribute(TXmlNode* node, const char* name)
{
  return node ? std::string(node->GetAttribute(name).c_str()) : std::string();
}

// Width and height from a PNG's header; 0 x 0 when the file is not a PNG.
std::pair<int, int> PngSize(const std::string& path)
{
  unsigned char header[24] = {};
  std::ifstream input(path, std::ios::binary);
  input.read(reinterpret_cast<char*>(header), sizeof header);
  if (input.gcount() != sizeof header || std::memcmp(header + 1, "PNG", 3) != 0) {
    return {0, 0};
  }
  auto be32 = [&header](int at) {
    return int(header[at]) << 24 | int(header[at + 1]) << 16 | int(header[at + 2]) << 8 | int(header[at + 3]);
  };
  return {be32(16), be32(20)};
}

// The labels of the game's string table.
const std::set<std::string>& Strings()
{
  static std::set<std::string> labels;
  if (labels.empty()) {
    const std::string text = ReadText(Resolve("strings.xml"));
    const std::regex row("<Row><Cell><Data[^>]*>([^<]*)</Data>");
    for (std::sregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it) {
      labels.insert((*it)[1]);
    }
  }
  return labels;
}

// The text of a label of the game's string table; empty when there is none.
std::string StringText(const std::string& label)
{
  static std::map<std::string, std::string> texts;
  if (texts.empty()) {
    const std::string text = ReadText(Resolve("strings.xml"));
    const std::regex row("<Row><Cell><Data[^>]*>([^<]*)</Data></Cell><Cell><Data[^>]*>([^<]*)</Data>");
    for (std::sregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it) {
      texts[(*it)[1]] = (*it)[2];
    }
  }
  auto found = texts.find(label);
  return found == texts.end() ? std::string() : found->second;
}

bool IsLabel(const std::string& text)
{
  return std::regex_match(text, std::regex("[a-z][a-z0-9_]*"));
}

// One scene: its objects by name (with their states), its frames with their sizes.
struct TScene
{
  std::string file;
  std::unique_ptr<TDocument> sxm;
  std::unique_ptr<TDocument> resources;
  std::map<std::string, TXmlNode*> objects;
  std::map<std::string, std::pair<int, int>> frames;
  std::vector<std::string> faults;

  TXmlNode* Object(const std::string& name) const
  {
    auto found = objects.find(name);
    return found == objects.end() ? nullptr : found->second;
  }
  bool HasState(const std::string& object, const std::string& state) const
  {
    for (TXmlNode* st : Children(Object(object) ? Object(object)->GetChild("states") : nullptr, "st")) {
      if (Attribute(st, "id") == state) {
        return true;
      }
    }
    return false;
  }
};

void CollectObjects(TScene* scene, TXmlNode* list)
{
  for (TXmlNode* object : Children(list, "object")) {
    const std::string id = Attribute(object, "id");
    if (!scene->objects.emplace(id, object).second) {
      scene->faults.push_back("object " + id + " is named twice");
    }
    CollectObjects(scene, object->GetChild("objects"));
  }
}

void ReadResources(TScene* scene)
{
  const std::string name = Attribute(scene->sxm->root->GetChild("resources"), "id");
  scene->resources = Parse(name, "resources");
  if (!scene->resources) {
    scene->faults.push_back("its resources file " + name + " is missing");
    return;
  }
  std::map<std::string, std::pair<int, int>> textures;
  for (TXmlNode* texture : Children(scene->resources->root->GetChild("textures"), "texture")) {
    const std::string file = Attribute(texture, "file");
    const std::string path = Resolve(file);
    if (path.empty()) {
      scene->faults.push_back("picture " + file + " is missing");
    }
    textures[Attribute(texture, "id")] = path.empty() ? std::make_pair(0, 0) : PngSize(path);
  }
  for (const char* group : {"images", "empties"}) {
    for (TXmlNode* image : Children(scene->resources->root->GetChild(group), "image")) {
      const std::string id = Attribute(image, "id");
      const int right = std::atoi(Attribute(image, "x").c_str()) + std::atoi(Attribute(image, "w").c_str());
      const int bottom = std::atoi(Attribute(image, "y").c_str()) + std::atoi(Attribute(image, "h").c_str());
      const std::string texture = Attribute(image, "texture");
      if (!texture.empty()) {
        auto size = textures.find(texture);
        if (size == textures.end()) {
          scene->faults.push_back("image " + id + " names no texture of the file");
        } else if (size->second.first && (right > size->second.first || bottom > size->second.second)) {
          scene->faults.push_back("image " + id + " reaches past its " + std::to_string(size->second.first) + "x" +
                                  std::to_string(size->second.second) + " picture");
        }
      }
      scene->frames[id] = {right, bottom};
    }
  }
}

// The script rules of the scene files: the tolerant tokenizer they pass through rewrites
// "=", strips a leading double quote and ends the script at "--"; and only functions the
// scene engine or a screen binds can be called (and methods of Lua's own values, such as a
// string's find, with which a script tests a state without an "=").
void CheckScripts(TScene* scene)
{
  static const std::set<std::string> known = {"setStateIfState",
                                              "setStateIfnState",
                                              "setStateIfTag",
                                              "setStateIfnTag",
                                              "setObjectState",
                                              "getObjectState",
                                              "getObjectPosX",
                                              "getObjectPosY",
                                              "ChooseStory",
                                              "ChooseFreePlay",
                                              "BackToMainMenu",
                                              "CloseDialog",
                                              "BackToMap",
                                              "PlayMetaPuzzle",
                                              "OpenCompleted",
                                              "NextStart",
                                              "NextEnd",
                                              "PrevStart",
                                              "PrevEnd",
                                              "PlaySearch",
                                              "PlayMinigame",
                                              "JournalFadingCompleted",
                                              "JournalFadingInCompleted",
                                              "HighlightFace",
                                              "UnHighlightFace",
                                              "EndCaseTitleAnimationCompleted",
                                              "OnCaseSolvedContinueButtonPressed"};
  const std::string text = ReadText(Resolve(scene->file));
  const std::regex script("<script>([^<]*)</script>");
  const std::regex call("(?:^|[^:.A-Za-z_0-9])([A-Za-z_][A-Za-z_0-9]*)\\s*\\(");
  for (std::sregex_iterator it(text.begin(), text.end(), script), end; it != end; ++it) {
    const std::string body = (*it)[1];
    for (const char* bad : {"\"", "==", "~=", "<=", ">=", "--"}) {
      if (body.find(bad) != std::string::npos) {
        scene->faults.push_back("script \"" + body + "\" holds " + bad);
      }
    }
    for (std::sregex_iterator c(body.begin(), body.end(), call); c != end; ++c) {
      if (!known.count((*c)[1])) {
        scene->faults.push_back("script \"" + body + "\" calls " + std::string((*c)[1]) + ", which nothing binds");
      }
    }
  }
}

void CheckFrame(TScene* scene, const std::string& where, const std::string& frame)
{
  if (!frame.empty() && !scene->frames.count(frame)) {
    scene->faults.push_back(where + " shows frame " + frame + ", which its resources lack");
  }
}

void CheckSets(TScene* scene, const std::string& where, TXmlNode* sets)
{
  for (TXmlNode* set : Children(sets, "set")) {
    const std::string target = Attribute(set, "object");
    if (!target.empty() && !scene->Object(target)) {
      scene->faults.push_back(where + " sets object " + target + ", which the scene lacks");
    }
    CheckFrame(scene, where, Attribute(set, "f"));
    const std::string text = Attribute(set, "txt");
    if (IsLabel(text) && !Strings().count(text)) {
      scene->faults.push_back(where + " sets text " + text + ", which strings.xml lacks");
    }
  }
}

void CheckObjects(TScene* scene)
{
  for (const auto& named : scene->objects) {
    TXmlNode* object = named.second;
    const std::string where = "object " + named.first;
    CheckFrame(scene, where, Attribute(object, "f"));
    const std::string initial = Attribute(object, "st");
    if (initial.empty() || !scene->HasState(named.first, initial)) {
      scene->faults.push_back(where + " has no initial state of its own");
    }
    const std::string text = Attribute(object, "txt");
    if (Attribute(object, "type") == "TTextObject") {
      if (Attribute(object, "f").empty()) {
        scene->faults.push_back(where + " is a text without a box");
      }
      if (IsLabel(text) && !Strings().count(text)) {
        scene->faults.push_back(where + " shows " + text + ", which strings.xml lacks");
      }
    }
    const std::string particles = Attribute(object, "pr");
    if (!particles.empty() && Resolve("particles/" + particles + ".lua").empty()) {
      scene->faults.push_back(where + " names the effect " + particles + ", which particles/ lacks");
    }
    for (TXmlNode* state : Children(object->GetChild("states"), "st")) {
      const std::string at = where + " state " + Attribute(state, "id");
      CheckFrame(scene, at, Attribute(state, "f"));
      CheckSets(scene, at, state->GetChild("sets"));
      const std::string next = Attribute(state, "sn");
      if (!next.empty() && !scene->HasState(named.first, next)) {
        scene->faults.push_back(at + " goes on to " + next + ", which the object lacks");
      }
      const std::string main = Attribute(state, "sc");
      bool animated = main.empty();
      for (TXmlNode* animator : Children(state->GetChild("animators"), "animator")) {
        animated = animated || Attribute(animator, "type") == main;
      }
      if (!animated) {
        scene->faults.push_back(at + " ends with a " + main + " it does not have");
      }
      const std::string sound = Attribute(state, "snd_n");
      if (!sound.empty() && Resolve(sound).empty()) {
        scene->faults.push_back(at + " plays " + sound + ", which is missing");
      }
    }
    for (const char* action : {"on_mouse_move", "on_mouse_in", "on_mouse_out", "on_mouse_down", "on_mouse_up"}) {
      CheckSets(scene, where + " " + action,
                object->GetChild(action) ? object->GetChild(action)->GetChild("sets") : nullptr);
    }
  }
}

// Scenes are read once and kept: several tests look into the same ones.
const TScene& Scene(const std::string& file)
{
  static std::map<std::string, std::unique_ptr<TScene>> scenes;
  std::unique_ptr<TScene>& scene = scenes[file];
  if (!scene) {
    scene.reset(new TScene);
    scene->file = file;
    scene->sxm = Parse(file, "scene");
    if (!scene->sxm) {
      scene->faults.push_back("the scene file is missing or has no \"scene\"");
      return *scene;
    }
    CollectObjects(scene.get(), scene->sxm->root->GetChild("objects"));
    ReadResources(scene.get());
    CheckObjects(scene.get());
    CheckScripts(scene.get());
  }
  return *scene;
}

std::string Faults(const TScene& scene)
{
  std::string all;
  for (const std::string& fault : scene.faults) {
    all += "\n  " + scene.file + ": " + fault;
  }
  return all;
}

std::vector<std::string> SceneFiles()
{
  std::vector<std::string> files;
  const fs::path root = fs::path(QV_SOURCE_DATA_DIR) / "assets";
  for (const auto& entry : fs::recursive_directory_iterator(root / "scenes")) {
    if (entry.path().extension() == ".sxm") {
      files.push_back(fs::relative(entry.path(), root).generic_string());
    }
  }
  return files;
}

// The names in a comma-separated list, blanks dropped.
std::vector<std::string> Names(const std::string& list)
{
  std::vector<std::string> names;
  const std::regex name("[^, ]+");
  for (std::sregex_iterator it(list.begin(), list.end(), name), end; it != end; ++it) {
    names.push_back(it->str());
  }
  return names;
}

// The objects a search configuration lists are in its room.
void ExpectSearchConfig(const std::string& config, const std::string& sceneFile)
{
  std::unique_ptr<TDocument> search = Parse(config, "search");
  ASSERT_TRUE(search) << config;
  const TScene& scene = Scene(sceneFile);
  const std::vector<TXmlNode*> objects = Children(search->root->GetChild("objects"));
  EXPECT_GE(objects.size(), 6u) << config;
  for (TXmlNode* object : objects) {
    const std::string id = Attribute(object, "id");
    EXPECT_TRUE(scene.Object(id)) << config << " lists " << id << ", which " << sceneFile << " lacks";
    EXPECT_TRUE(scene.HasState(id, "deleting")) << id << " in " << sceneFile << " has no way to vanish";
    EXPECT_TRUE(Strings().count(Attribute(object, "label"))) << config << ": " << Attribute(object, "label");
  }
  for (const char* sound : {"found", "miss"}) {
    EXPECT_FALSE(Resolve(Attribute(search->root->GetChild("sounds"), sound)).empty()) << config << " " << sound;
  }
  for (int slot = 1; slot <= 6; ++slot) {
    EXPECT_TRUE(scene.Object("list_" + std::to_string(slot))) << sceneFile;
  }
  EXPECT_TRUE(scene.Object("timer")) << sceneFile;
}

} // namespace

TEST(GameData, EveryScenesPicturesFramesStatesAndScriptsHoldTogether)
{
  const std::vector<std::string> files = SceneFiles();
  ASSERT_GE(files.size(), 12u);
  for (const std::string& file : files) {
    const TScene& scene = Scene(file);
    EXPECT_TRUE(scene.faults.empty()) << Faults(scene);
  }
}

TEST(GameData, PreloadedLoadingAndRuleFilesExist)
{
  std::unique_ptr<TDocument> preload = Parse("configs/preload_xmls.xml", "preload_xmls");
  ASSERT_TRUE(preload);
  ExpectOnly(preload->root, "xml", "preload_xmls");
  for (TXmlNode* xml : Children(preload->root)) {
    EXPECT_FALSE(Resolve(Attribute(xml, "file")).empty()) << Attribute(xml, "file");
  }
  std::unique_ptr<TDocument> loading = Parse("configs/loading.xml", "loading");
  ASSERT_TRUE(loading);
  EXPECT_TRUE(Scene(Attribute(loading->root, "scene")).faults.empty());
  for (TXmlNode* texture : Children(loading->root, "texture")) {
    EXPECT_FALSE(Resolve(Attribute(texture, "file")).empty()) << Attribute(texture, "file");
  }
  std::unique_ptr<TDocument> rules = Parse("configs/game_rules.xml", "game_rules");
  ASSERT_TRUE(rules);
  EXPECT_GT(std::atoi(Attribute(rules->root->GetChild("freeplay"), "time").c_str()), 0);
  const TScene& title = Scene(Attribute(rules->root->GetChild("scenes"), "title"));
  EXPECT_TRUE(title.faults.empty()) << Faults(title);
  const TScene& tutorial = Scene(Attribute(rules->root->GetChild("scenes"), "tutorial"));
  for (const char* name : {"journal_search_tutorial", "identify_the_suspect_tutorial"}) {
    EXPECT_TRUE(tutorial.HasState(name, "show")) << name;
    EXPECT_EQ("0", Attribute(tutorial.Object(name), "v")) << name << " shows before it is asked for";
  }
  std::unique_ptr<TDocument> maps = Parse("configs/map_config.xml", "map_config");
  ASSERT_TRUE(maps);
  for (const char* map : {"map", "freeplay_map"}) {
    const TScene& scene = Scene(Attribute(maps->root->GetChild(map), "scene"));
    EXPECT_TRUE(scene.faults.empty()) << Faults(scene);
    const std::string text = ReadText(Resolve(scene.file));
    EXPECT_NE(std::string::npos, text.find("BackToMainMenu()")) << map << " has no way back";
  }
}

TEST(GameData, TheStoryNamesWhatItsScenesProvide)
{
  std::unique_ptr<TDocument> rounds = Parse("configs/rounds_config.xml", "rounds");
  ASSERT_TRUE(rounds);
  std::unique_ptr<TDocument> maps = Parse("configs/map_config.xml", "map_config");
  ASSERT_TRUE(maps);
  const TScene& map = Scene(Attribute(maps->root->GetChild("map"), "scene"));
  ExpectOnly(rounds->root, "round", "rounds");
  const std::vector<TXmlNode*> roundList = Children(rounds->root);
  ASSERT_FALSE(roundList.empty());
  for (TXmlNode* round : roundList) {
    const TScene& overlay = Scene(Attribute(round, "overlay_scene"));
    const TScene& page = Scene(Attribute(round, "journal_scene"));
    ASSERT_TRUE(overlay.faults.empty()) << Faults(overlay);
    ASSERT_TRUE(page.faults.empty()) << Faults(page);
    auto expectDialog = [&overlay](const std::string& anim) {
      EXPECT_TRUE(overlay.HasState("main_animator", anim + "_init")) << overlay.file << " cannot show " << anim;
    };
    expectDialog(Attribute(round, "end_anim"));
    expectDialog(TTheGame::kTimeUpDialog);
    EXPECT_TRUE(Strings().count(Attribute(round, "rank")));
    // The journal's page: every object the journal fills (crosses included).
    EXPECT_EQ("Journal_round_scene", Attribute(page.sxm->root, "id"));
    std::vector<std::string> pageObjects = {"case_pict", "case_title",     "case_description",   "case_solved_txt",
                                            "lines",     "suspects_title", "theories_const_txt", "solved_const_txt",
                                            "SCENE_ROOT"};
    for (int n = 1; n <= 3; ++n) {
      char name[32];
      std::snprintf(name, sizeof name, "theory_%02d", n);
      pageObjects.push_back(name);
      pageObjects.push_back("theory_icon_" + std::to_string(n));
    }
    for (int n = 1; n <= 6; ++n) {
      for (const char* format :
           {"face_%d", "clue_icon_%d", "foto_%d", "foto_%d_", "parcel_%d", "_name_%d", "cross_%d"}) {
        char name[32];
        std::snprintf(name, sizeof name, format, n);
        pageObjects.push_back(name);
      }
    }
    for (const std::string& name : pageObjects) {
      EXPECT_TRUE(page.Object(name)) << page.file << " lacks " << name;
    }
    EXPECT_TRUE(page.HasState("SCENE_ROOT", "fade_in"));
    ExpectOnly(round->GetChild("cases"), "case", "cases");
    for (TXmlNode* game : Children(round->GetChild("cases"))) {
      const std::string location = Attribute(game, "location_id");
      SCOPED_TRACE(location);
      ExpectOnly(game->GetChild("theories"), "theory", "theories");
      ExpectOnly(game->GetChild("case_file")->GetChild("suspects"), "suspect", "suspects");
      EXPECT_TRUE(map.HasState(location, "active") && map.HasState(location, "inactive"))
          << map.file << " has no place " << location;
      TXmlNode* search = game->GetChild("SearchScreen");
      const TScene& room = Scene(Attribute(search, "SceneConfig"));
      EXPECT_TRUE(room.faults.empty()) << Faults(room);
      ExpectSearchConfig(Attribute(search, "SearchConfig"), room.file);
      for (const char* sound : {"location_sting", "ambient_sound"}) {
        EXPECT_FALSE(Resolve(Attribute(search, sound)).empty()) << sound;
      }
      expectDialog(Attribute(search, "IntroAnim"));
      expectDialog(Attribute(search, "EndAnim"));
      expectDialog(Attribute(game->GetChild("IntroAnim"), "anim"));
      expectDialog(Attribute(game->GetChild("EndAnim"), "anim"));
      std::set<std::string> theories;
      for (TXmlNode* theory : Children(game->GetChild("theories"))) {
        EXPECT_TRUE(Strings().count(Attribute(theory, "txt"))) << "theory text " << Attribute(theory, "txt");
        if (Attribute(theory, "id").empty()) {
          continue;
        }
        theories.insert(Attribute(theory, "id"));
        expectDialog(Attribute(theory, "anim"));
        EXPECT_TRUE(page.frames.count(Attribute(theory, "icon"))) << Attribute(theory, "icon");
      }
      // What the room's things confirm and point at is in the case.
      std::unique_ptr<TDocument> config = Parse(Attribute(search, "SearchConfig"), "search");
      ASSERT_TRUE(config);
      for (TXmlNode* object : Children(config->root->GetChild("objects"))) {
        const std::string theory = Attribute(object, "theory");
        EXPECT_TRUE(theory.empty() || theories.count(theory)) << theory;
        const int suspect = std::atoi(Attribute(object, "suspect").c_str());
        EXPECT_TRUE(suspect >= 0 && suspect <= 6) << suspect;
      }
      TXmlNode* file = game->GetChild("case_file");
      EXPECT_TRUE(page.frames.count(Attribute(file->GetChild("image"), "frame")));
      for (const char* text : {"title", "dsc", "solved"}) {
        EXPECT_TRUE(Strings().count(Attribute(file->GetChild(text), "txt"))) << text;
      }
      const std::vector<TXmlNode*> suspects = Children(file->GetChild("suspects"));
      ASSERT_EQ(6u, suspects.size());
      for (TXmlNode* suspect : suspects) {
        EXPECT_TRUE(page.frames.count(Attribute(suspect, "frame") + "_n")) << Attribute(suspect, "frame");
        EXPECT_TRUE(page.frames.count(Attribute(suspect, "frame") + "_h")) << Attribute(suspect, "frame");
        EXPECT_TRUE(page.frames.count(Attribute(suspect, "clue_icon"))) << Attribute(suspect, "clue_icon");
        EXPECT_TRUE(Strings().count(Attribute(suspect, "name"))) << Attribute(suspect, "name");
      }
      // The puzzles: the timeline's cards, the checklist's suspects (the culprit among them)
      // and the torn letter's scraps are in their scenes.
      TXmlNode* puzzles = game->GetChild("Puzzles");
      std::unique_ptr<TDocument> sequence = Parse(Attribute(puzzles, "SequenceConfig"), "sequence_puzzle");
      ASSERT_TRUE(sequence);
      const TScene& cards = Scene(Attribute(sequence->root->GetChild("scene"), "file"));
      EXPECT_TRUE(cards.faults.empty()) << Faults(cards);
      for (const std::string& card : Names(Attribute(sequence->root->GetChild("sequence"), "ids"))) {
        EXPECT_TRUE(cards.HasState(card, "normal") && cards.HasState(card, "chosen")) << card;
      }
      std::unique_ptr<TDocument> checklist = Parse(Attribute(puzzles, "ChecklistConfig"), "checklist_puzzle");
      ASSERT_TRUE(checklist);
      const TScene& lineup = Scene(Attribute(checklist->root->GetChild("scene"), "file"));
      EXPECT_TRUE(lineup.faults.empty()) << Faults(lineup);
      const int guilty = std::atoi(Attribute(file->GetChild("suspects"), "guilty").c_str());
      bool guiltyStands = false;
      for (const std::string& number : Names(Attribute(checklist->root->GetChild("suspects"), "nums"))) {
        const std::string suspect = "suspect_" + std::to_string(std::atoi(number.c_str()) + 1);
        EXPECT_TRUE(lineup.HasState(suspect, "innocent") && lineup.HasState(suspect, "guilty")) << suspect;
        guiltyStands = guiltyStands || std::atoi(number.c_str()) + 1 == guilty;
      }
      EXPECT_TRUE(guiltyStands) << "the culprit is not among the checklist's suspects";
      const std::string meta = Attribute(puzzles, "MetaPuzzleConfig");
      if (!meta.empty()) {
        std::unique_ptr<TDocument> letter = Parse(meta, "meta_puzzle");
        ASSERT_TRUE(letter);
        const TScene& scraps = Scene(Attribute(letter->root->GetChild("scene"), "file"));
        EXPECT_TRUE(scraps.faults.empty()) << Faults(scraps);
        for (const std::string& piece : Names(Attribute(letter->root->GetChild("pieces"), "ids"))) {
          EXPECT_TRUE(scraps.HasState(piece, "placed")) << piece;
        }
        EXPECT_NE(std::string::npos, ReadText(Resolve(room.file)).find("PlayMetaPuzzle()"))
            << "nothing in the room opens the meta puzzle";
      }
    }
  }
}

// A case is deduced from its room's things (who was there), its timeline (who was somewhere
// else) and its checklist (the clues): what each of them says must agree with the others.
TEST(GameData, EachStoryCasesRoomTimelineAndChecklistTellOneStory)
{
  std::unique_ptr<TDocument> rounds = Parse("configs/rounds_config.xml", "rounds");
  ASSERT_TRUE(rounds);
  for (TXmlNode* round : Children(rounds->root)) {
    for (TXmlNode* game : Children(round->GetChild("cases"))) {
      SCOPED_TRACE(Attribute(game, "location_id"));
      std::vector<std::string> names;
      for (TXmlNode* suspect : Children(game->GetChild("case_file")->GetChild("suspects"))) {
        names.push_back(std::regex_replace(Attribute(suspect, "frame"), std::regex("^s_"), ""));
      }
      // Who left a thing in the room; the search's closing words count them.
      TXmlNode* search = game->GetChild("SearchScreen");
      std::unique_ptr<TDocument> config = Parse(Attribute(search, "SearchConfig"), "search");
      ASSERT_TRUE(config);
      std::set<int> there;
      for (TXmlNode* object : Children(config->root->GetChild("objects"))) {
        if (int suspect = std::atoi(Attribute(object, "suspect").c_str())) {
          there.insert(suspect);
        }
      }
      const std::string closing = StringText(Attribute(search, "EndAnim") + "_text");
      const char* const counts[] = {"One", "Two", "Three", "Four", "Five", "Six"};
      ASSERT_FALSE(there.empty());
      EXPECT_EQ(0u, closing.find(std::string(counts[there.size() - 1]) + " people")) << closing;

      // The checklist holds only people who were there, the culprit among them; whoever was
      // there and is not in it is cleared by a card of the timeline.
      TXmlNode* puzzles = game->GetChild("Puzzles");
      std::unique_ptr<TDocument> checklist = Parse(Attribute(puzzles, "ChecklistConfig"), "checklist_puzzle");
      std::unique_ptr<TDocument> sequence = Parse(Attribute(puzzles, "SequenceConfig"), "sequence_puzzle");
      ASSERT_TRUE(checklist && sequence);
      std::set<int> standing;
      for (const std::string& number : Names(Attribute(checklist->root->GetChild("suspects"), "nums"))) {
        standing.insert(std::atoi(number.c_str()) + 1);
      }
      const int guilty = std::atoi(Attribute(game->GetChild("case_file")->GetChild("suspects"), "guilty").c_str());
      EXPECT_TRUE(there.count(guilty)) << "the culprit left nothing in the room";
      const std::vector<std::string> cards = Names(Attribute(sequence->root->GetChild("sequence"), "ids"));
      for (int suspect : standing) {
        EXPECT_TRUE(there.count(suspect)) << names[suspect - 1] << " stands in the checklist but was not there";
      }
      for (int suspect : there) {
        const bool carded = std::find(cards.begin(), cards.end(), "card_" + names[suspect - 1]) != cards.end();
        EXPECT_TRUE(standing.count(suspect) || carded)
            << names[suspect - 1] << " was there, is not in the checklist and no card clears them";
      }
    }
  }
}

TEST(GameData, FreePlayPlacesAreOnItsMapAndTheirRoomsHoldTheirLists)
{
  std::unique_ptr<TDocument> freePlay = Parse("configs/freeplay_config.xml", "free_play");
  ASSERT_TRUE(freePlay);
  std::unique_ptr<TDocument> maps = Parse("configs/map_config.xml", "map_config");
  ASSERT_TRUE(maps);
  const TScene& map = Scene(Attribute(maps->root->GetChild("freeplay_map"), "scene"));
  ExpectOnly(freePlay->root, "location", "free_play");
  const std::vector<TXmlNode*> locations = Children(freePlay->root);
  EXPECT_EQ(2u, locations.size());
  std::set<std::string> ids;
  for (TXmlNode* location : locations) {
    const std::string id = Attribute(location, "id");
    EXPECT_TRUE(ids.insert(id).second) << id << " twice";
    EXPECT_TRUE(map.HasState(id, "active")) << map.file << " has no place " << id;
    const std::string room = Attribute(location, "freeplayscene");
    EXPECT_TRUE(Scene(room).faults.empty()) << Faults(Scene(room));
    ExpectSearchConfig(Attribute(location, "freeplayconfig"), room);
    // Free play has no meta puzzle: its rooms have no button that would do nothing.
    EXPECT_EQ(std::string::npos, ReadText(Resolve(room)).find("PlayMetaPuzzle()")) << room;
  }
}

TEST(GameData, TheMusicAndSoundsTheCodeNamesExist)
{
  std::vector<std::string> sounds = {"audio/music/qsb_theme.ogg",
                                     "audio/music/comic.ogg",
                                     "audio/music/QS_MiniGame1_16.ogg",
                                     "audio/music/QS_MiniGame2_16.ogg",
                                     "audio/music/mainmenumusic.ogg",
                                     "audio/sfx/found.ogg",
                                     "audio/sfx/miss.ogg",
                                     "audio/sfx/hover.ogg",
                                     "audio/music/room_01.ogg",
                                     "audio/music/room_02.ogg",
                                     "audio/music/room_03.ogg"};
  for (int n = 1; n <= 5; ++n) {
    sounds.push_back("audio/music/ss_0" + std::to_string(n) + ".ogg");
    if (n <= 4) {
      sounds.push_back("audio/sfx/sfx_typing_0" + std::to_string(n) + ".ogg");
    }
  }
  for (const std::string& sound : sounds) {
    const std::string path = Resolve(sound);
    EXPECT_FALSE(path.empty()) << sound;
    EXPECT_EQ("OggS", ReadText(path).substr(0, 4)) << sound;
  }
  for (const char* effect : {"dust", "steam"}) {
    const std::string script = ReadText(Resolve(std::string("particles/") + effect + ".lua"));
    const std::smatch texture = [&script] {
      std::smatch match;
      std::regex_search(script, match, std::regex("SetTexture\\('([^']*)'\\)"));
      return match;
    }();
    ASSERT_EQ(2u, texture.size()) << effect;
    EXPECT_FALSE(Resolve(texture[1]).empty()) << texture[1];
  }
}
