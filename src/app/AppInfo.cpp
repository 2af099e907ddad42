// Placeholder replaced by the main window; keeps lumo_gui non-empty.
namespace lumo {
int guiLibraryMarker() { return 0; }
} // namespace lumo
