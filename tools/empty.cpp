// An empty unit for a library folder that has no sources yet.
namespace kx_empty_unit { int unused = 0; }
