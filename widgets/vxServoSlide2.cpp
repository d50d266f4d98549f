// The servo widget library.  The widgets themselves are added with the motion
// windows; the library already ships so that the program links against it.
namespace vxServoSlide2Library {
int version() { return 2; }
}
