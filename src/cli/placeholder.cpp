// The commands of moravel-cli come here.
namespace moravel::cli {}
