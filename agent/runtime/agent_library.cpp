// Anchor for the character platform's runtime library.
namespace pw::agent { int runtime_library_anchor = 0; }
