// The cleaning run, the clean command and restore come here.
namespace moravel {}
