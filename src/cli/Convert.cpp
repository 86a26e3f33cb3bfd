// placeholder until the implementation lands
namespace trv {}
