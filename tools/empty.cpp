// Placeholder unit for a library that has no sources yet.
namespace kx_empty_unit { int unused = 0; }
