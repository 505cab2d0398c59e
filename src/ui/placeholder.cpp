// The windows come here.
namespace moravel {}
