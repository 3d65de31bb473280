// version: the engine's own version text, reported at start-up.
namespace qv {
char const* EngineVersion() { return "1.0"; }
}
